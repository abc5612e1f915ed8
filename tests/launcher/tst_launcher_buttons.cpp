#include "app/test_app_fixture.h"
#include "launcher/launcher.h"
#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace jotrak;
using jotrak::test::AppFixture;
using jotrak::test::AppFixtureOptions;

namespace {

constexpr int kLauncherSettings = 126;

int Command(int buttonNumber)
{
    return kFirstLauncherCommand + buttonNumber - 1;
}

// A program whose table An holds the given rows (button number -> name, path) before start-up.
std::unique_ptr<AppFixture> StartWith(const std::map<int, LauncherRow>& rows)
{
    AppFixtureOptions options;
    options.prepare = [rows](const QString& exeDir) {
        ConnectionHolder connection;
        OpenDatabase(connection, DatabasePath(exeDir));
        for (const auto& [number, row] : rows)
            StoreLauncherRow(connection, number, row);
    };
    auto fx = std::make_unique<AppFixture>(options);
    AppFixture::clearMessages();
    return fx;
}

LauncherRow StoredRow(int buttonNumber)
{
    return ReadLauncherRow(App().connection, buttonNumber).value_or(LauncherRow{});
}

// Clicks a launcher button of the main window; returns what was handed to the shell.
QStringList Click(AppFixture& fx, int buttonNumber)
{
    testing::ShellSeam::Clear();
    QPushButton* button = fx.button(Command(buttonNumber));
    if (!button)
        return {QStringLiteral("<no button>")};
    button->click();
    return testing::ShellSeam::Opened();
}

// The open dialog 131, reached by its controls.
struct Dialog {
    LauncherDialog* d;
    QListWidget* list() const { return d->findChild<QListWidget*>(QStringLiteral("buttonList")); }
    QLineEdit* name() const { return d->findChild<QLineEdit*>(QStringLiteral("nameEdit")); }
    QPlainTextEdit* path() const { return d->findChild<QPlainTextEdit*>(QStringLiteral("pathEdit")); }
    void press(const char* button) const { d->findChild<QPushButton*>(QLatin1String(button))->click(); }
    void select(int buttonNumber) const { list()->setCurrentRow(buttonNumber - 1); }
};

// Opens dialog 131 with command 126, runs steps while it is open and returns its
// result. A dialog the steps leave open is closed with 退出.
int WithDialog(AppFixture& fx, const std::function<void(const Dialog&)>& steps)
{
    int result = -1;
    bool ran = false;
    QTimer::singleShot(0, fx.window(), [&] {
        QPointer<LauncherDialog> d = fx.window()->findChild<LauncherDialog*>();
        if (!d)
            return;
        ran = true;
        QObject::connect(d, &QDialog::finished, d, [&result](int r) { result = r; });
        steps(Dialog{d});
        if (d && d->isVisible())
            Dialog{d}.press("exitButton");
    });
    fx.command(kLauncherSettings);
    return ran ? result : -2;
}

} // namespace

class LauncherButtonsTest : public QObject {
    Q_OBJECT

private slots:
    void anUnboundButtonIsBlankAndInert()
    {
        auto fx = StartWith({});
        for (int n = 1; n <= kLauncherButtons; ++n) {
            QCOMPARE(fx->button(Command(n))->text(), QString());
            QCOMPARE(Click(*fx, n), QStringList());
        }
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void aBoundButtonOpensItsPath()
    {
        const QString file = QStringLiteral("/home/用户/My Documents/it's a plan.txt");
        const QString folder = QStringLiteral("/home/用户/照片");
        auto fx = StartWith({{2, {QStringLiteral("计划"), file}}, {18, {QStringLiteral("照片"), folder}}});
        QCOMPARE(fx->button(Command(2))->text(), QStringLiteral("计划"));
        QCOMPARE(Click(*fx, 2), QStringList{file});
        QCOMPARE(Click(*fx, 18), QStringList{folder});
        QCOMPARE(Click(*fx, 1), QStringList());
    }

    void aMissingTargetGivesNoMessage()
    {
        auto fx = StartWith({{4, {QStringLiteral("旧文件"), QStringLiteral("/nowhere/gone.doc")}}});
        QCOMPARE(Click(*fx, 4), QStringList{QStringLiteral("/nowhere/gone.doc")});
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void anAmpersandInACaptionIsShownAsItself()
    {
        auto fx = StartWith({{1, {QStringLiteral("读&写"), QStringLiteral("/rw")}}});
        QCOMPARE(fx->button(Command(1))->text(), QStringLiteral("读&&写"));
    }

    // Enter on a focused push button presses it; elsewhere it presses 更新界面并退出.
    void enterPressesTheFocusedButtonElseTheDefault()
    {
        auto fx = StartWith({});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(5);
            dlg.name()->setText(QStringLiteral("周报"));
            auto* save = dlg.d->findChild<QPushButton*>(QStringLiteral("saveButton"));
            save->setFocus();
            QTest::keyClick(save, Qt::Key_Return);
            QVERIFY(dlg.d->isVisible());
            QCOMPARE(StoredRow(5).name, QStringLiteral("周报"));
            QTest::keyClick(dlg.name(), Qt::Key_Return);
        });
        QCOMPARE(result, 1);
        QCOMPARE(fx->button(Command(5))->text(), QStringLiteral("周报"));
    }

    void clearThenSaveUnbindsButtonThree()
    {
        auto fx = StartWith({{3, {QStringLiteral("报表"), QStringLiteral("/data/报表.xls")}}});
        QCOMPARE(Click(*fx, 3), QStringList{QStringLiteral("/data/报表.xls")});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(3);
            QCOMPARE(dlg.name()->text(), QStringLiteral("报表"));
            dlg.press("clearButton");
            QCOMPARE(dlg.name()->text(), QStringLiteral("0"));
            QCOMPARE(dlg.path()->toPlainText(), QString());
            QCOMPARE(StoredRow(3).name, QStringLiteral("报表")); // nothing stored before 保存
            dlg.press("saveButton");
            QCOMPARE(StoredRow(3).name, QStringLiteral("0"));
            QCOMPARE(StoredRow(3).path, QString());
            QCOMPARE(dlg.list()->currentRow(), 2);
            QVERIFY(dlg.list()->item(2)->isSelected());
            QCOMPARE(dlg.list()->item(2)->text(), QStringLiteral("3"));
            dlg.press("updateAndExitButton");
        });
        QCOMPARE(result, 1);
        QCOMPARE(fx->button(Command(3))->text(), QString());
        QCOMPARE(Click(*fx, 3), QStringList());
    }

    void aCaptionSavedAsEmptyTextStaysBound()
    {
        auto fx = StartWith({});
        WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(5);
            dlg.name()->setText(QString());
            dlg.path()->setPlainText(QStringLiteral("/srv/共享"));
            dlg.press("saveButton");
            QCOMPARE(dlg.list()->item(4)->text(), QString());
            dlg.press("updateAndExitButton");
        });
        QCOMPARE(fx->button(Command(5))->text(), QString());
        QCOMPARE(Click(*fx, 5), QStringList{QStringLiteral("/srv/共享")});
    }

    void savingWithoutASelectionChangesNothing()
    {
        auto fx = StartWith({{1, {QStringLiteral("甲"), QStringLiteral("/a")}}});
        WithDialog(*fx, [](const Dialog& dlg) {
            dlg.name()->setText(QStringLiteral("乙"));
            dlg.path()->setPlainText(QStringLiteral("/b"));
            dlg.press("saveButton");
        });
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages()[0].text, QStringLiteral("请选择要保存到具体哪一个按钮上"));
        QCOMPARE(AppFixture::messages()[0].caption, QStringLiteral("请选择要保存到具体哪一个按钮上"));
        QCOMPARE(StoredRow(1).name, QStringLiteral("甲"));
        for (int n = 2; n <= kLauncherButtons; ++n) {
            QCOMPARE(StoredRow(n).name, QStringLiteral("0"));
            QCOMPARE(StoredRow(n).path, QString());
        }
    }

    void exitAfterSavingKeepsOldButtonsUntilTheNextReload()
    {
        auto fx = StartWith({{1, {QStringLiteral("旧名"), QStringLiteral("/old")}}});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(1);
            dlg.name()->setText(QStringLiteral("新名"));
            dlg.path()->setPlainText(QStringLiteral("/new"));
            dlg.press("saveButton");
            dlg.press("exitButton");
        });
        QCOMPARE(result, 2);
        QCOMPARE(StoredRow(1).name, QStringLiteral("新名"));
        QCOMPARE(fx->button(Command(1))->text(), QStringLiteral("旧名"));
        QCOMPARE(Click(*fx, 1), QStringList{QStringLiteral("/old")});
        LoadLauncherTable();
        QCOMPARE(fx->button(Command(1))->text(), QStringLiteral("新名"));
        QCOMPARE(Click(*fx, 1), QStringList{QStringLiteral("/new")});
    }

    void escapeClosesWithTwoAndReloadsNothing()
    {
        auto fx = StartWith({});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(2);
            dlg.name()->setText(QStringLiteral("二"));
            dlg.press("saveButton");
            QTest::keyClick(dlg.d, Qt::Key_Escape);
        });
        QCOMPARE(result, 2);
        QCOMPARE(fx->button(Command(2))->text(), QString());
    }

    void anUnboundButtonIsListedByItsNumberAndShowsZero()
    {
        auto fx = StartWith({{6, {QStringLiteral("六"), QStringLiteral("/six")}}});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            QCOMPARE(dlg.list()->count(), kLauncherButtons);
            QVERIFY(dlg.list()->selectedItems().isEmpty());
            QCOMPARE(dlg.name()->text(), QString());
            QCOMPARE(dlg.path()->toPlainText(), QString());
            QCOMPARE(dlg.list()->item(5)->text(), QStringLiteral("六"));
            QCOMPARE(dlg.list()->item(6)->text(), QStringLiteral("7"));
            dlg.select(7);
            QCOMPARE(dlg.name()->text(), QStringLiteral("0"));
            QCOMPARE(dlg.path()->toPlainText(), QString());
            dlg.select(6);
            QCOMPARE(dlg.name()->text(), QStringLiteral("六"));
            QCOMPARE(dlg.path()->toPlainText(), QStringLiteral("/six"));
        });
        QCOMPARE(result, 2);
    }

    void chosenFileAndFolderFillOnlyThePath()
    {
        auto fx = StartWith({});
        WithDialog(*fx, [](const Dialog& dlg) {
            dlg.select(8);
            dlg.name()->setText(QStringLiteral("周报"));
            testing::FileDialogSeam::Clear();
            testing::FileDialogSeam::QueueAnswer(QStringLiteral("/home/u/周报 v2.docx"));
            dlg.press("chooseFileButton");
            QCOMPARE(dlg.path()->toPlainText(), QStringLiteral("/home/u/周报 v2.docx"));
            QCOMPARE(dlg.name()->text(), QStringLiteral("周报"));
            testing::FileDialogSeam::QueueAnswer(std::nullopt);
            dlg.press("chooseFolderButton");
            QCOMPARE(dlg.path()->toPlainText(), QStringLiteral("/home/u/周报 v2.docx"));
            testing::FileDialogSeam::QueueAnswer(QStringLiteral("/home/u/项目"));
            dlg.press("chooseFolderButton");
            QCOMPARE(dlg.path()->toPlainText(), QStringLiteral("/home/u/项目"));

            const auto& asked = testing::FileDialogSeam::Requests();
            QCOMPARE(asked.size(), 3);
            QCOMPARE(asked[0].kind, QStringLiteral("open"));
            QCOMPARE(asked[0].title, QStringLiteral("请选择点击按钮后要打开的文件"));
            QCOMPARE(asked[0].filter, QStringLiteral("所有文件(*.*)"));
            QCOMPARE(asked[1].kind, QStringLiteral("folder"));
            QCOMPARE(asked[1].title, QStringLiteral("请选择点击按钮后要打开的文件夹"));
            dlg.press("saveButton");
            dlg.press("updateAndExitButton");
        });
        QCOMPARE(fx->button(Command(8))->text(), QStringLiteral("周报"));
        QCOMPARE(Click(*fx, 8), QStringList{QStringLiteral("/home/u/项目")});
    }

    void longAndOddTextSurvivesTheDialogWhole()
    {
        const QString name = QStringLiteral("O'Neil 的 \"常用\" 工具 ") + QString(1200, QChar(0x5B57));
        const QString path =
            QStringLiteral("/mnt/共享 盘/it's/") + QString(2500, QLatin1Char('x')) + QStringLiteral("/文件 名.txt");
        auto fx = StartWith({});
        WithDialog(*fx, [&](const Dialog& dlg) {
            dlg.select(10);
            dlg.name()->setText(name);
            dlg.path()->setPlainText(path);
            dlg.press("saveButton");
            dlg.select(1);
            dlg.select(10);
            QCOMPARE(dlg.name()->text(), name);
            QCOMPARE(dlg.path()->toPlainText(), path);
            dlg.press("updateAndExitButton");
        });
        QCOMPARE(StoredRow(10).name, name);
        QCOMPARE(StoredRow(10).path, path);
        QCOMPARE(Click(*fx, 10), QStringList{path});
    }

    void theDialogHasItsCaptionAndEveryControl()
    {
        auto fx = StartWith({});
        const int result = WithDialog(*fx, [](const Dialog& dlg) {
            QCOMPARE(dlg.d->windowTitle(), QStringLiteral("按钮设置"));
            QVERIFY(dlg.list() && dlg.name() && dlg.path());
            const std::map<const char*, QString> buttons{{"chooseFileButton", QStringLiteral("选择文件")},
                                                         {"chooseFolderButton", QStringLiteral("选择文件夹")},
                                                         {"clearButton", QStringLiteral("清除")},
                                                         {"saveButton", QStringLiteral("保存")},
                                                         {"updateAndExitButton", QStringLiteral("更新界面并退出")},
                                                         {"exitButton", QStringLiteral("退出")}};
            for (const auto& [objectName, text] : buttons) {
                auto* button = dlg.d->findChild<QPushButton*>(QLatin1String(objectName));
                QVERIFY2(button, objectName);
                QCOMPARE(button->text(), text);
                QVERIFY(dlg.d->rect().contains(button->geometry()));
            }
            QVERIFY(dlg.d->findChild<QPushButton*>(QStringLiteral("updateAndExitButton"))->isDefault());
        });
        QCOMPARE(result, 2);
    }
};

QTEST_MAIN(LauncherButtonsTest)
#include "tst_launcher_buttons.moc"
