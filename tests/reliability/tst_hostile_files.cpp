// Hostile files and folders, met by the built program itself. A start makes what
// is missing, in Dt beside the program when that can be written, else in the
// user's data folder; a strange maxims file is left as it is. A database it
// cannot use, or a data folder it cannot make, ends the start with a message
// naming it and exit code 1, and nothing is changed. A read-only file still shows
// the data and refuses a change with a clear message.

#include "support/bytes.h"
#include "support/database.h"
#include "support/hostile_files.h"
#include "support/program.h"

#include "shell/app_context.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Every file under folder with its hash.
QStringList State(const QString& folder)
{
    QStringList state;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        state << it.next() + QString::fromLatin1(Sha256(it.filePath()).toHex());
    state.sort();
    return state;
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void hostileFilesAndFolders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words"); // what the refusal says; empty: the start succeeds
        for (const char* kind : {"Dt as shipped", "no Dt", "read-only Dt", "binary maxims", "50 MB maxims",
                                 "one 1 MB maxims line", "maxims folder", "read-only db.mdb"})
            QTest::newRow(kind) << kind << QString();
        QTest::newRow("a data folder that cannot be made") << "blocked" << QStringLiteral("无法创建数据文件夹");
        for (const HostileFile& file : HostileFiles())
            QTest::newRow(file.kind) << QString::fromLatin1(file.kind) << QString::fromUtf16(file.words);
    }
    void hostileFilesAndFolders()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        const bool asNobody = kind.startsWith(u"read-only");
        if (asNobody && !CanRunAsNobody())
            QSKIP("running as root without setpriv: cannot start the program as an unprivileged user");
        ProgramCopy program;
        const QString maxims = program.dt(QStringLiteral("gey.txt"));
        const QString blocker = program.folder() + QStringLiteral("/a file");
        QStringList arguments;
        if (kind == u"no Dt") {
            QVERIFY(QDir(program.dt()).removeRecursively());
        } else if (kind == u"read-only Dt" && ::geteuid() != 0) {
            QVERIFY(QFile::setPermissions(program.dt(), QFile::ReadOwner | QFile::ExeOwner));
        } else if (kind.contains(u"maxims")) {
            QFile::remove(maxims);
            QVERIFY(kind == u"maxims folder"
                        ? QDir().mkpath(maxims)
                        : WriteBytes(maxims, kind.startsWith(u"binary") ? RandomBytes(64 * 1024, 3)
                                             : kind.startsWith(u"50")
                                                 ? QStringLiteral("千里之行,始于足下。\r\n").toUtf8().repeated(1900000)
                                                 : QByteArray(1 << 20, 'x')));
        } else if (kind == u"blocked") {
            QVERIFY(WriteBytes(blocker, "not a folder"));
            arguments = {QStringLiteral("--data-dir"), blocker + QStringLiteral("/Dt")};
        } else if (kind == u"read-only db.mdb") {
            MakeJotrakFile(program.database());
            QVERIFY(GiveToNobody(program.dt()) &&
                    QFile::setPermissions(program.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (!words.isEmpty()) {
            MakeHostileFile(kind, program.database());
        }
        const QStringList before = State(program.dt());
        const QByteArray maximsBefore = Sha256(maxims);
        const RunResult result = program.run(asNobody, arguments);
        QFile::setPermissions(program.dt(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!words.isEmpty()) {
            QVERIFY2(result.exitCode == 1 && result.output.contains(words) &&
                         result.output.contains(kind == u"blocked" ? blocker : QStringLiteral("db.mdb")),
                     qPrintable(result.output));
            QCOMPARE(State(program.dt()), before);
            QCOMPARE(ReadBytes(blocker), QByteArray(kind == u"blocked" ? "not a folder" : ""));
            QVERIFY(!QFileInfo::exists(program.userDt()));
            return;
        }
        QVERIFY2(result.exitCode == 0 && result.output.contains(QStringLiteral("JOTRAK_READY")),
                 qPrintable(result.output));
        const bool portable = kind != u"no Dt" && kind != u"read-only Dt";
        const QString data = portable ? program.dt() : program.userDt();
        if (portable)
            QCOMPARE(Sha256(maxims), maximsBefore);
        else
            QCOMPARE(State(program.dt()), before);
        QVERIFY(QFile::exists(data + QStringLiteral("/gey.txt")));
        if (kind == u"read-only db.mdb") {
            const RunResult probe = Run({program.add(QStringLiteral("readonly_probe")), program.folder()}, true);
            QVERIFY2(
                probe.exitCode == 0 && probe.output.contains(QStringLiteral("goal 今天的目标\nitems 1\n")) &&
                    probe.output.contains(QRegularExpression(QStringLiteral("after-modify [^\n]*只读"))) &&
                    probe.output.contains(QRegularExpression(QStringLiteral("after-add [^\n]*只读[^\n]* rows 1\n"))),
                qPrintable(probe.output));
            QCOMPARE(State(program.dt()), before);
        }
        ConnectionHolder c;
        OpenDatabase(c, DatabaseFile(data));
        QCOMPARE((QList<int>{CountRows(c, Table::Nian), CountRows(c, Table::Ri), CountRows(c, Table::An)}),
                 (QList<int>{20, 7305, 18}));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
