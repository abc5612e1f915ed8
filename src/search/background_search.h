#pragma once

#include "search/search_store.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;

namespace jotrak {

// Runs searches on a thread of its own, each on a read-only connection of its
// own to the file, so the window goes on answering while years of log are
// read. A new search supersedes the one running: that one stops at its next
// row and nothing more of it is sent. The signals reach the thread that made
// this object.
class BackgroundSearch : public QObject {
    Q_OBJECT
public:
    explicit BackgroundSearch(QObject* parent = nullptr);
    // Stops a running search and waits for the thread.
    ~BackgroundSearch() override;

    void start(const QString& databasePath, const QString& query, const SearchFilter& filter, int listLimit);
    // Drops the search running, if any.
    void stop();

signals:
    void hitsFound(const std::vector<jotrak::SearchHit>& hits);
    void finished(const jotrak::SearchSummary& summary);
    void failed(const QString& message, const QString& details);

private:
    void run(int generation, const QString& databasePath, const QStringList& words, const SearchFilter& filter,
             int listLimit);
    // Runs what on this object's thread unless another search started meanwhile.
    void post(int generation, std::function<void()> what);

    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr; // lives on thread_
    std::atomic<int> generation_{0};
};

} // namespace jotrak
