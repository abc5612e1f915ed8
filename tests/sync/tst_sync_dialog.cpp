// The dialog 同步: a folder that cannot serve is named and nothing is kept; a
// good one is kept, sync starts, and the state shows the exchange.

#include "shell/message_box.h"
#include "shell/work_log.h"
#include "sync/sync_dialog.h"
#include "sync/sync_engine.h"
#include "sync/sync_settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::testing;

class TestSyncDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MessageBoxSeam::Enable(); }

    void aFolderThatCannotServeIsNamed_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("named");
        QTest::newRow("empty") << QString() << QStringLiteral("还没有选择");
        QTest::newRow("missing") << QStringLiteral("gone") << QStringLiteral("不存在");
        QTest::newRow("the data folder") << QStringLiteral("data") << QStringLiteral("数据文件夹");
        QTest::newRow("inside the data folder") << QStringLiteral("data/inside") << QStringLiteral("数据文件夹");
        QTest::newRow("a file") << QStringLiteral("data/db.mdb") << QStringLiteral("不是文件夹");
    }

    void aFolderThatCannotServeIsNamed()
    {
        QFETCH(QString, folder);
        QFETCH(QString, named);
        QTemporaryDir root;
        const QString dataDir = root.filePath(QStringLiteral("data"));
        QDir().mkpath(dataDir + QStringLiteral("/inside"));
        WorkLog log;
        log.open(QDir(dataDir).filePath(QStringLiteral("db.mdb")));
        SyncEngine engine(log, dataDir);
        engine.start(0);
        SyncDialog dialog(engine, nullptr);
        dialog.findChild<QLineEdit*>(QStringLiteral("SyncFolderEdit"))
            ->setText(folder.isEmpty() ? folder : root.filePath(folder));
        dialog.findChild<QCheckBox*>(QStringLiteral("SyncOnBox"))->setChecked(true);
        MessageBoxSeam::Clear();
        dialog.findChild<QPushButton*>(QStringLiteral("btn1"))->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY2(MessageBoxSeam::Shown().front().text.contains(named),
                 qPrintable(MessageBoxSeam::Shown().front().text));
        QCOMPARE(dialog.result(), 0); // still open
        QCOMPARE(ReadSyncSettings(dataDir).enabled, false);
    }

    void aGoodFolderIsKeptAndUsed()
    {
        QTemporaryDir root;
        const QString dataDir = root.filePath(QStringLiteral("data"));
        const QString shared = root.filePath(QStringLiteral("shared"));
        QDir().mkpath(dataDir);
        QDir().mkpath(shared);
        WorkLog log;
        log.open(QDir(dataDir).filePath(QStringLiteral("db.mdb")));
        SyncEngine engine(log, dataDir);
        engine.start(0);
        SyncDialog dialog(engine, nullptr);
        dialog.findChild<QLineEdit*>(QStringLiteral("SyncFolderEdit"))->setText(shared);
        dialog.findChild<QCheckBox*>(QStringLiteral("SyncOnBox"))->setChecked(true);
        QSignalSpy exchanged(&engine, &SyncEngine::stateChanged);
        dialog.findChild<QPushButton*>(QStringLiteral("btnSyncNow"))->click();
        QCOMPARE(ReadSyncSettings(dataDir).folder, shared);
        QVERIFY(ReadSyncSettings(dataDir).enabled);
        QTRY_VERIFY_WITH_TIMEOUT(
            dialog.findChild<QLabel*>(QStringLiteral("SyncStateLabel"))->text().startsWith(QStringLiteral("上次同步")),
            10000);
        QVERIFY(!exchanged.isEmpty());
    }
};

QTEST_MAIN(TestSyncDialog)
#include "tst_sync_dialog.moc"
