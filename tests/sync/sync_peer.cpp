// The sync peer: one computer of a test, driven from the command line.
//   sync_peer round   <data folder> <sync folder>   one exchange, as the program's
//   sync_peer goal    <data folder> <sync folder> <day key> <text>   a day goal typed, then an exchange
//   sync_peer content <data folder>                 what the log shares, one line a row
// Exit code 0; 1 with a sentence on standard error when something failed.

#include "sync_computer.h"

#include "data/goal_store.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace jotrak;
using namespace jotrak::test;

namespace {

int Report(const SyncRoundReport& report)
{
    std::printf("received %d sent %d conflicts %d\n", report.received, report.sent, report.conflicts);
    for (const QString& problem : report.problems)
        std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == QStringLiteral("round"))
            return Report(SyncComputer(args[1], args[2]).round());
        if (args.size() == 5 && args[0] == QStringLiteral("goal")) {
            SyncComputer computer(args[1], args[2]);
            if (!StoreGoalText(computer.log(), Table::Ri, args[3], args[4]))
                throw DatabaseError(0, QStringLiteral("no such day: ") + args[3]);
            return Report(computer.round());
        }
        if (args.size() == 2 && args[0] == QStringLiteral("content")) {
            ConnectionHolder log;
            OpenDatabase(log, QDir(args[1]).filePath(QStringLiteral("db.mdb")));
            for (const QString& line : SharedContent(log))
                std::printf("%s\n", line.toUtf8().constData());
            return 0;
        }
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr, "usage: sync_peer round|goal|content ...\n");
    return 1;
}
