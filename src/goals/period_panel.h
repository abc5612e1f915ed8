#pragma once

#include "data/keys.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace jotrak {

class WorkLog;

// Where the controls of one period row stand, what they say and the command
// identifier of each button (viewId 0: no such button).
struct PeriodRowPlaces {
    QRect key;
    Qt::Alignment keyAlignment;
    QString label;
    QRect labelPlace;
    int viewId = 0;
    QRect view;
    int modifyId = 0;
    QRect modify;
    int itemsId = 0; // 细项查看; the day row has none
    QRect items;
    QRect goal;
};

// One period row of the main window (年 / 月 / 日): its key box, its goal box
// and 查看 / 修改 / 细项查看, placed on the window at fixed places, with what it
// shows: the key and the goal text as it was loaded, so that typing not yet
// stored is known. A goal changed elsewhere (another window of the program, a
// search, a restore) shows here at once unless the box holds unsaved typing.
//
// Object names: "<Kind>KeyEdit", "<Kind>GoalLabel", "<Kind>GoalEdit" (Kind is
// Year, Month or Day) and "btn<id>" for the buttons.
class PeriodPanel : public QObject {
    Q_OBJECT
public:
    PeriodPanel(QWidget* window, WorkLog& log, PeriodKind kind, const PeriodRowPlaces& places, const QString& key,
                const QFont& font, const QFont& textFont);

    PeriodKind kind() const { return kind_; }
    QString key() const;
    QString goalText() const;
    QLineEdit* keyEdit() const { return keyEdit_; }
    QPlainTextEdit* goalEdit() const { return goalEdit_; }
    // The goal box holds typing that is not stored.
    bool hasUnsavedText() const;

    // 查看: the goal of the key in the key box; a key without one is reported.
    // Then viewed() is sent either way. Raises DatabaseError.
    void view();
    // 修改: stores the goal box as the goal of the key in the key box; a key
    // without one is reported as 查看 reports it. Raises DatabaseError.
    void modify();
    // Shows key with its goal text, both as stored.
    void show(const QString& key, const QString& goalText);

signals:
    // 查看 ran for key (the day row's reminders follow it).
    void viewed(const QString& key);
    // 细项查看 was pressed.
    void itemsRequested(jotrak::PeriodKind kind, const QString& key);

private:
    void follow(PeriodKind kind, const QString& key);

    WorkLog& log_;
    PeriodKind kind_;
    QLineEdit* keyEdit_ = nullptr;
    QPlainTextEdit* goalEdit_ = nullptr;
    QString loadedText_;
};

} // namespace jotrak
