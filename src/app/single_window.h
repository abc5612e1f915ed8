#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace jotrak {

// One window per log. The program that opens a data folder first answers on a
// local socket (a Unix socket file in the temporary folder) named after the folder's canonical path (and the user); a
// later start on the same folder finds it there and can ask it to come to the front. A socket file a crash left behind
// answers nobody: it is removed and taken over, so it never blocks a start. Another data folder has another name.
class SingleWindow : public QObject {
    Q_OBJECT
public:
    explicit SingleWindow(const QString& dataDir, QObject* parent = nullptr);
    ~SingleWindow() override;

    // Another program has this log open and answers.
    bool otherWindowOpen();
    // Asks that program to bring its window to the front; true once it was told.
    bool bringOtherToFront();
    // From now on, later starts on this log find this program: each that asks
    // for the front sends frontRequested().
    void serve();

    // "jotrak-" and a hash of the folder's canonical path and the user.
    static QString ServerName(const QString& dataDir);

signals:
    void frontRequested();

private:
    void listenTo(int caller);

    QByteArray file_; // the socket file
    int other_ = -1;  // connected to the program that serves file_
    bool serving_ = false;
};

} // namespace jotrak
