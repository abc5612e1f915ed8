#include "support/app_fixture.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "launcher/launcher.h"
#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"

#include <QListWidget>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kLong = QStringLiteral("O'Neil 的 \"常用\" 100% ") + QString(1200, QChar(0x5B57));
const QString kLongPath = QStringLiteral("/mnt/共享 盘/it's/") + QString(2500, u'x') + QStringLiteral("/文件 名.txt");

// Clicks launcher button n; returns what was handed to the shell.
QStringList Click(AppFixture& fx, int n)
{
    testing::ShellSeam::Clear();
    fx.button(kFirstLauncherCommand + n - 1)->click();
    return testing::ShellSeam::Opened();
}

QString Caption(AppFixture& fx, int n)
{
    return fx.button(kFirstLauncherCommand + n - 1)->text();
}

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    // Rows to buttons in IDME order; only "0" unbinds; past 18 ignored; a missing row unbound and unstorable.
    void theTableGivesEachButtonItsRow()
    {
        TempDb db;
        ConnectionHolder& c = db.connection;
        QVERIFY(StoreLauncherRow(c, 1, {kLong, kLongPath}));
        QVERIFY(StoreLauncherRow(c, 2, {QString(), QStringLiteral("/empty")}));
        QVERIFY(StoreLauncherRow(c, 3, {QStringLiteral(" 0"), QStringLiteral("/space-zero")}));
        QVERIFY(StoreLauncherRow(c, 4, {QStringLiteral("照片"), QStringLiteral("/photos")}));
        RunSql(db.path(), "UPDATE An SET ming = NULL, wj = NULL WHERE IDME = 6;"
                          "INSERT INTO An (ming, wj) VALUES ('第十九', '/nineteen')");
        std::array<LauncherButton, kLauncherButtons> entries;
        ReadLauncherTable(c, entries);
        QVERIFY(entries[3].bound && !entries[17].bound);
        QCOMPARE(LauncherListLines(c).size(), 18);
        QVERIFY(StoreLauncherRow(c, 4, {EmptyButtonName, QString()})); // cleared meanwhile
        RunSql(db.path(), "DELETE FROM An WHERE IDME >= 18");
        const LauncherCaptions captions = ReadLauncherTable(c, entries);
        QStringList seen;
        for (int k = 0; k < kLauncherButtons; ++k)
            seen << (entries[k].bound ? captions[k].left(6) + u'|' + entries[k].path.left(6) : QStringLiteral("-"));
        QCOMPARE(seen.join(u' '),
                 QStringLiteral("O'Neil|/mnt/共 |/empty  0|/space - - |") + QStringLiteral(" -").repeated(12));
        QCOMPARE(captions[0], kLong);
        QCOMPARE(ReadLauncherRow(c, 1)->path, kLongPath);
        QCOMPARE(LauncherListLines(c).mid(0, 7), (QStringList{kLong, "", " 0", "4", "5", "", "7"}));
        QCOMPARE(LauncherListLines(c).size(), 17);
        QVERIFY(!ReadLauncherRow(c, 18) && !StoreLauncherRow(c, 18, {QStringLiteral("x"), QStringLiteral("/x")}));
    }

    // Buttons open their paths; dialog 131 stores rows, and 更新界面并退出 (or Enter) reloads, 退出 and Escape not.
    void theButtonsAndTheirDialog()
    {
        AppFixtureOptions options;
        options.prepare = [](const QString& dataDir) {
            ConnectionHolder c;
            OpenDatabase(c, DatabaseFile(dataDir));
            QVERIFY(StoreLauncherRow(c, 2, {QStringLiteral("读&写"), QStringLiteral("/home/用户/it's a plan.txt")}));
            QVERIFY(StoreLauncherRow(c, 3, {QStringLiteral("报表"), QStringLiteral("/data/报表.xls")}));
            QVERIFY(StoreLauncherRow(c, 18, {QStringLiteral("旧文件"), QStringLiteral("/nowhere/gone.doc")}));
        };
        auto fx = std::make_unique<AppFixture>(options);
        QCOMPARE(Caption(*fx, 2), QStringLiteral("读&&写"));
        QCOMPARE(Click(*fx, 2), QStringList{QStringLiteral("/home/用户/it's a plan.txt")});
        QCOMPARE(Click(*fx, 18), QStringList{QStringLiteral("/nowhere/gone.doc")});
        QCOMPARE(Caption(*fx, 1), QString());
        QCOMPARE(Click(*fx, 1), QStringList());
        QVERIFY(AppFixture::messages().isEmpty());
        int result = 0;
        fx->modals.next<LauncherDialog>([&](LauncherDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("按钮设置"));
            QVERIFY(In(d, "updateAndExitButton")->isDefault());
            auto* list = In<QListWidget>(d, "buttonList");
            auto* name = In<QLineEdit>(d, "nameEdit");
            auto* path = In<QPlainTextEdit>(d, "pathEdit");
            QCOMPARE(list->item(2)->text(), QStringLiteral("报表"));
            In(d, "saveButton")->click(); // nothing chosen
            QCOMPARE(AppFixture::texts(), QStringList{QStringLiteral("请选择要保存到具体哪一个按钮上")});
            list->setCurrentRow(2);
            QCOMPARE(name->text(), QStringLiteral("报表"));
            In(d, "clearButton")->click();
            QCOMPARE(name->text() + path->toPlainText(), QStringLiteral("0"));
            QCOMPARE(ReadLauncherRow(fx->db(), 3)->name, QStringLiteral("报表")); // stored only by 保存
            In(d, "saveButton")->click();
            QCOMPARE(ReadLauncherRow(fx->db(), 3)->name, QStringLiteral("0"));
            QCOMPARE(list->currentRow(), 2);

            list->setCurrentRow(7);
            QCOMPARE(name->text(), QStringLiteral("0"));
            name->setText(kLong);
            testing::FileDialogSeam::Clear();
            testing::FileDialogSeam::QueueAnswer(QStringLiteral("/home/u/周报 v2.docx"));
            testing::FileDialogSeam::QueueAnswer(std::nullopt);
            In(d, "chooseFileButton")->click();
            In(d, "chooseFolderButton")->click(); // cancelled: the path stays
            QCOMPARE(path->toPlainText(), QStringLiteral("/home/u/周报 v2.docx"));
            const auto& asked = testing::FileDialogSeam::Requests();
            QCOMPARE(
                asked[0].kind + asked[0].title + asked[0].filter + asked.value(1).kind + asked.value(1).title,
                QStringLiteral("open请选择点击按钮后要打开的文件所有文件(*.*)folder请选择点击按钮后要打开的文件夹"));
            path->setPlainText(kLongPath);
            auto* save = In(d, "saveButton");
            save->setFocus();
            QTest::keyClick(save, Qt::Key_Return); // Enter on a focused button presses it
            QVERIFY(d->isVisible());
            list->setCurrentRow(0);
            list->setCurrentRow(7);
            QCOMPARE(name->text(), kLong);
            QCOMPARE(path->toPlainText(), kLongPath);
            QCOMPARE(Caption(*fx, 8), QString()); // not reloaded yet
            QTest::keyClick(name, Qt::Key_Return);
            result = d->result();
        });
        fx->command(kCmdLauncherSettings);
        QCOMPARE(result, 1);
        QCOMPARE(Caption(*fx, 3), QString());
        QCOMPARE(Click(*fx, 3), QStringList());
        QCOMPARE(Caption(*fx, 8), kLong);
        QCOMPARE(Click(*fx, 8), QStringList{kLongPath});

        for (const char* how : {"exitButton", "escape"}) {
            fx->modals.next<LauncherDialog>([&](LauncherDialog* d) {
                In<QListWidget>(d, "buttonList")->setCurrentRow(4);
                In<QLineEdit>(d, "nameEdit")->setText(QString::fromLatin1(how));
                In(d, "saveButton")->click();
                if (QByteArray(how) == "escape")
                    QTest::keyClick(d, Qt::Key_Escape);
                else
                    In(d, how)->click();
                result = d->result();
            });
            fx->command(kCmdLauncherSettings);
            QCOMPARE(result, 2);
            QCOMPARE(Caption(*fx, 5), QString());
        }
        fx->window()->loadLauncherCaptions();
        QCOMPARE(Caption(*fx, 5), QStringLiteral("escape"));
        QCOMPARE(fx->modals.unexpected(), 0);
    }
};

QTEST_MAIN(LauncherTest)
#include "tst_launcher.moc"
