// The command line as the built program reads it, before any window system:
// run without a display, a wrong one is told in Chinese with exit code 1.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome RunProgram(const QStringList& arguments, const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QDir(qEnvironmentVariable("JOTRAK_BIN_DIR")).filePath(QStringLiteral("jotrak")), arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void eachWrongCommandLineIsToldAndEachRightOneRuns_data()
    {
        QTest::addColumn<QString>("arguments"); // split at spaces; FILE and DIR stand for a file and a folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // words on standard output
        QTest::addColumn<QString>("err"); // words on standard error
        const struct {
            const char* name;
            const char* arguments;
            int exitCode;
            const char* out;
            const char* err;
        } rows[] = {
            {"help", "--help", 0, "--quit-after-startup <毫秒>", ""},
            {"help after a wrong option", "--bogus -h", 0, "--data-dir <文件夹>", ""},
            {"version", "--version", 0, "Jotrak ", ""},
            {"unknown option", "--bogus", 1, "", "未知的选项“--bogus”"},
            {"unknown short option", "-x", 1, "", "未知的选项“-x”"},
            {"extra argument", "--unattended notes.txt", 1, "", "不接受参数“notes.txt”"},
            {"argument after --", "-- --data-dir", 1, "", "不接受参数“--data-dir”"},
            {"data-dir without its folder", "--data-dir", 1, "", "--data-dir 后面缺少<文件夹>"},
            {"data-dir empty", "--data-dir=", 1, "", "--data-dir 的文件夹是空的"},
            {"data-dir naming a file", "--data-dir FILE", 1, "", "是一个文件,不是文件夹"},
            {"quit-after-startup not a number", "--quit-after-startup soon", 1, "", "不小于 0 的毫秒数,“soon”"},
            {"quit-after-startup negative", "--quit-after-startup=-5", 1, "", "“-5”"},
            {"switch with a value", "--no-start-page=yes", 1, "", "--no-start-page 不带值"},
            {"options with Qt's own",
             "-platform offscreen --data-dir=DIR --quit-after-startup 0 --unattended "
             "--report-paint --no-start-page",
             0, "", "JOTRAK_READY"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QString::fromUtf8(row.arguments) << row.exitCode << QString::fromUtf8(row.out)
                                    << QString::fromUtf8(row.err);
    }
    void eachWrongCommandLineIsToldAndEachRightOneRuns()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a file"));
        const QString folder = dir.filePath(QStringLiteral("log"));
        QFile(file).open(QIODevice::WriteOnly);
        QStringList command = arguments.split(u' ');
        for (QString& argument : command)
            argument.replace(QStringLiteral("FILE"), file).replace(QStringLiteral("DIR"), folder);
        const Outcome outcome = RunProgram(command, dir.path());
        QVERIFY2(outcome.exitCode == exitCode && outcome.out.contains(out) && outcome.err.contains(err),
                 qPrintable(QStringLiteral("exit %1\n%2\n%3").arg(outcome.exitCode).arg(outcome.out, outcome.err)));
        QCOMPARE(QFileInfo::exists(folder + QStringLiteral("/db.mdb")), exitCode == 0 && out.isEmpty());
        QCOMPARE(QFileInfo(file).size(), 0);
        if (exitCode == 1)
            QVERIFY(outcome.err.contains(QStringLiteral("jotrak --help")));
    }

    // One window per log: what a killed program left does not block a start; a second start on the log goes to the
    // open window (what --unattended answers); another folder opens its own.
    void aSecondStartOnOneLogGoesToTheOpenWindow()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        const QStringList common = {"-platform", "offscreen", "--unattended", "--report-paint", "--no-start-page"};
        QProcess killed, first;
        for (QProcess* program : {&killed, &first}) {
            program->start(QDir(qEnvironmentVariable("JOTRAK_BIN_DIR")).filePath(QStringLiteral("jotrak")),
                           common + QStringList{"--data-dir", log, "--quit-after-startup", "20000"});
            QByteArray err;
            QTRY_VERIFY_WITH_TIMEOUT((err += program->readAllStandardError()).contains("JOTRAK_READY") ||
                                         program->state() == QProcess::NotRunning,
                                     30000);
            QVERIFY2(program->state() == QProcess::Running, err.constData());
            if (program == &killed) {
                killed.kill(); // its socket stays behind
                killed.waitForFinished();
            }
        }
        const Outcome second =
            RunProgram(common + QStringList{"--data-dir", log, "--quit-after-startup", "0"}, dir.path());
        QVERIFY2(second.exitCode == 0 && second.err.contains(QStringLiteral("已经在另一个 Jotrak 窗口中打开")) &&
                     !second.err.contains(QStringLiteral("JOTRAK_READY")),
                 qPrintable(second.err));
        const Outcome elsewhere = RunProgram(
            common + QStringList{"--data-dir", dir.filePath(QStringLiteral("other")), "--quit-after-startup", "0"},
            dir.path());
        QVERIFY2(elsewhere.exitCode == 0 && elsewhere.err.contains(QStringLiteral("JOTRAK_READY")),
                 qPrintable(elsewhere.err));
        first.terminate();
        first.waitForFinished();
        // takes over what that one left, and removes it at its end
        QVERIFY(RunProgram(common + QStringList{"--data-dir", log, "--quit-after-startup", "0"}, dir.path())
                    .err.contains(QStringLiteral("JOTRAK_READY")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
