#include "search/background_search.h"

#include "data/record_access.h"

#include <QThread>

namespace jotrak {

BackgroundSearch::BackgroundSearch(QObject* parent) : QObject(parent), thread_(new QThread(this)), worker_(new QObject)
{
    thread_->setObjectName(QStringLiteral("search"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

BackgroundSearch::~BackgroundSearch()
{
    stop();
    thread_->quit();
    thread_->wait();
}

void BackgroundSearch::start(const QString& databasePath, const QString& query, const SearchFilter& filter,
                             int listLimit)
{
    const int generation = ++generation_;
    const QStringList words = SearchWords(query);
    QMetaObject::invokeMethod(
        worker_,
        [this, generation, databasePath, words, filter, listLimit] {
            run(generation, databasePath, words, filter, listLimit);
        },
        Qt::QueuedConnection);
}

void BackgroundSearch::stop()
{
    ++generation_;
}

void BackgroundSearch::post(int generation, std::function<void()> what)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, what = std::move(what)] {
            if (generation == generation_)
                what();
        },
        Qt::QueuedConnection);
}

void BackgroundSearch::run(int generation, const QString& databasePath, const QStringList& words,
                           const SearchFilter& filter, int listLimit)
{
    const auto current = [this, generation] { return generation == generation_; };
    if (!current())
        return;
    try {
        ConnectionHolder connection;
        OpenDatabaseForReading(connection, databasePath);
        const SearchSummary summary = SearchLog(
            connection, words, filter, listLimit,
            [&](std::vector<SearchHit>&& hits) {
                post(generation, [this, hits = std::move(hits)] { emit hitsFound(hits); });
                return current();
            },
            current);
        if (summary.complete)
            post(generation, [this, summary] { emit finished(summary); });
    } catch (const DatabaseError& error) {
        post(generation, [this, error] { emit failed(error.message(), error.details()); });
    }
}

} // namespace jotrak
