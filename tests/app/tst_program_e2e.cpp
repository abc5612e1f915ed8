#include "data/record_access.h"
#include "support/program_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;

namespace {

bool CopyProgram(const QString& to)
{
    return testsupport::CopyProgramFiles(qEnvironmentVariable("JOTRAK_BIN_DIR"), to);
}

int RowCount(ConnectionHolder& connection, Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), connection);
    return rs.rowCount();
}

} // namespace

class ProgramEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesTheDatabaseAndClosesWithZero()
    {
        QTemporaryDir dir;
        QVERIFY(CopyProgram(dir.path()));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("JOTRAK_QUIT_AFTER_STARTUP_MS"), QStringLiteral("300"));
        env.insert(QStringLiteral("JOTRAK_REPORT_SHOWN"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(QDir::tempPath()); // the program finds Dt beside itself, not here
        program.start(dir.filePath(QStringLiteral("jotrak")), {});
        QVERIFY(program.waitForStarted());
        QVERIFY2(program.waitForFinished(120000), "the program did not close its window");
        const QByteArray errors = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 0, errors.constData());
        QVERIFY2(errors.contains("JOTRAK_SHOWN"), errors.constData());

        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Dt/gey.txt"))));
        ConnectionHolder connection;
        CreateConnection(connection);
        OpenDatabase(connection, dir.filePath(QStringLiteral("Dt/db.mdb")));
        QCOMPARE(RowCount(connection, Table::Nian), 20);
        QCOMPARE(RowCount(connection, Table::Yue), 240);
        QCOMPARE(RowCount(connection, Table::Ri), 7305);
        QCOMPARE(RowCount(connection, Table::An), 18);
    }
};

QTEST_GUILESS_MAIN(ProgramEndToEndTest)
#include "tst_program_e2e.moc"
