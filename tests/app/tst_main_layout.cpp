#include "app/main_layout.h"
#include "app/test_app_fixture.h"
#include "calendar/today_line.h"
#include "launcher/launcher_table.h"

#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTest>

using namespace jotrak;
using jotrak::test::AppFixture;
using jotrak::test::AppFixtureOptions;

namespace {

enum class Font { Song12, Kai12, Kai18 };

struct Expected {
    const char* name;
    const char* className;
    const char* text; // nullptr: filled at start-up, checked by its own test
    int id;
    int x, y, w, h;
    Font font = Font::Song12;
};

// Every control of the main window, as it must stand with H = 748.
const Expected kControls[] = {
    {"TodayLabel", "QLabel", nullptr, 0, 25, 10, 460, 16},
    {"YearKeyEdit", "QLineEdit", "2018", 0, 15, 35, 30, 18},
    {"YearGoalLabel", "QLabel", "年工作目标:", 0, 45, 38, 80, 20},
    {"btn110", "QPushButton", "查看", 110, 130, 30, 40, 25},
    {"btn111", "QPushButton", "修改", 111, 175, 30, 40, 25},
    {"btn112", "QPushButton", "细项查看", 112, 220, 30, 60, 25},
    {"YearGoalEdit", "QPlainTextEdit", "", 0, 5, 57, 486, 90},
    {"MonthKeyEdit", "QLineEdit", "201801", 0, 15, 158, 50, 18},
    {"MonthGoalLabel", "QLabel", "月工作目标:", 0, 65, 161, 70, 20},
    {"btn113", "QPushButton", "查看", 113, 137, 153, 40, 25},
    {"btn114", "QPushButton", "修改", 114, 179, 153, 40, 25},
    {"btn115", "QPushButton", "细项查看", 115, 221, 153, 60, 25},
    {"MonthGoalEdit", "QPlainTextEdit", "", 0, 5, 180, 486, 90},
    {"DayKeyEdit", "QLineEdit", "20180101", 0, 15, 281, 80, 18},
    {"DayGoalLabel", "QLabel", "日工作目标:", 0, 95, 284, 80, 20},
    {"btn116", "QPushButton", "查看", 116, 180, 276, 40, 25},
    {"btn117", "QPushButton", "修改", 117, 225, 276, 40, 25},
    {"DayGoalEdit", "QPlainTextEdit", "", 0, 5, 303, 486, 180},
    {"ReminderLabel", "QLabel", "今日提醒:", 0, 5, 489, 16, 60},
    {"ReminderEdit", "QPlainTextEdit", nullptr, 0, 23, 484, 468, 60},
    {"btn118", "QPushButton", "有事早奏,无事退朝! -->>>", 118, 155, 555, 180, 35},
    {"LauncherGroup", "QGroupBox", "常用按钮", 0, 2, 590, 496, 117},
    {"btn139", "QPushButton", "按钮一", 139, 7, 606, 80, 30},
    {"btn140", "QPushButton", "按钮一", 140, 88, 606, 80, 30},
    {"btn141", "QPushButton", "按钮一", 141, 169, 606, 80, 30},
    {"btn142", "QPushButton", "按钮一", 142, 250, 606, 80, 30},
    {"btn143", "QPushButton", "按钮一", 143, 331, 606, 80, 30},
    {"btn144", "QPushButton", "按钮一", 144, 412, 606, 80, 30},
    {"btn145", "QPushButton", "按钮一", 145, 7, 638, 80, 30},
    {"btn146", "QPushButton", "按钮一", 146, 88, 638, 80, 30},
    {"btn147", "QPushButton", "按钮一", 147, 169, 638, 80, 30},
    {"btn148", "QPushButton", "按钮一", 148, 250, 638, 80, 30},
    {"btn149", "QPushButton", "按钮一", 149, 331, 638, 80, 30},
    {"btn150", "QPushButton", "按钮一", 150, 412, 638, 80, 30},
    {"btn151", "QPushButton", "按钮一", 151, 7, 670, 80, 30},
    {"btn152", "QPushButton", "按钮一", 152, 88, 670, 80, 30},
    {"btn153", "QPushButton", "按钮一", 153, 169, 670, 80, 30},
    {"btn154", "QPushButton", "按钮一", 154, 250, 670, 80, 30},
    {"btn155", "QPushButton", "按钮一", 155, 331, 670, 80, 30},
    {"btn156", "QPushButton", "按钮一", 156, 412, 670, 80, 30},
    {"MaximLabel", "QLabel", "业精于勤,荒于嬉", 0, 500, 5, 500, 25, Font::Kai12},
    {"ItemList", "QTableWidget", nullptr, 119, 500, 30, 505, 638},
    {"WebPane", "QLabel", "", 0, 500, 30, 505, 638, Font::Kai18},
    {"btn120", "QPushButton", "新  增", 120, 500, 673, 66, 30},
    {"btn121", "QPushButton", "修  改", 121, 567, 673, 66, 30},
    {"btn122", "QPushButton", "删  除", 122, 634, 673, 66, 30},
    {"btn124", "QPushButton", "有趣的网址", 124, 701, 673, 80, 30},
    {"btn125", "QPushButton", "提醒事项设定", 125, 782, 673, 80, 30},
    {"btn126", "QPushButton", "常用按钮设置", 126, 863, 673, 80, 30},
    {"btn127", "QPushButton", "目标导出", 127, 944, 673, 60, 30},
};

QString TextOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
        return edit->toPlainText();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    return {};
}

void WriteMaxims(const QString& exeDir, const QByteArray& utf8)
{
    QFile file(exeDir + QStringLiteral("/Dt/gey.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(utf8);
}

AppFixtureOptions WithOneMaxim()
{
    AppFixtureOptions options;
    options.prepare = [](const QString& exeDir) {
        QStringEncoder gb18030("GB18030");
        WriteMaxims(exeDir, gb18030.encode(QStringLiteral("业精于勤,荒于嬉\r\n")));
    };
    return options;
}

AppFixtureOptions At(const QDate& date)
{
    AppFixtureOptions options;
    options.now = QDateTime(date, QTime(10, 30));
    return options;
}

} // namespace

class MainLayoutTest : public QObject {
    Q_OBJECT

private:
    void checkEveryControl(const AppFixture& fx)
    {
        const QFont fonts[] = {fx.app().fontSong12, fx.app().fontKai12, fx.app().fontKai18};
        for (const Expected& want : kControls) {
            const QString name = QString::fromUtf8(want.name);
            auto* widget = fx.control<QWidget>(name);
            QVERIFY2(widget, qPrintable(name));
            QCOMPARE(widget->parentWidget(), fx.window());
            QVERIFY2(widget->inherits(want.className), qPrintable(name));
            QCOMPARE(widget->geometry(), QRect(want.x, want.y, want.w, want.h));
            QCOMPARE(widget->property("commandId").toInt(), want.id);
            if (want.text)
                QCOMPARE(TextOf(widget), QString::fromUtf8(want.text));
            const QFont& font = fonts[static_cast<int>(want.font)];
            QCOMPARE(widget->font().pixelSize(), font.pixelSize());
            QCOMPARE(widget->font().families(), font.families());
            QCOMPARE(widget->font().weight(), font.weight());
        }
    }

private slots:
    void everyControlStandsWhereTheTableSays()
    {
        // the panels as built, before the launcher table renames the buttons
        AppFixtureOptions options = WithOneMaxim();
        options.runStartup = false;
        AppFixture fx(options);
        InitAppContext(fx.exeDir());
        BuildGoalPanel();
        BuildItemPanel();
        checkEveryControl(fx);
        QCOMPARE(fx.window()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), std::size(kControls));
        QCOMPARE(fx.window()->size(), QSize(1008, 710));
    }

    void theLayoutHasItsStyles()
    {
        AppFixture fx;
        QCOMPARE(fx.app().YearKeyEdit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QCOMPARE(fx.app().MonthKeyEdit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(fx.app().DayKeyEdit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        for (QPlainTextEdit* goal :
             {fx.app().YearGoalEdit, fx.app().MonthGoalEdit, fx.app().DayGoalEdit, fx.app().ReminderEdit}) {
            QCOMPARE(goal->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(goal->isReadOnly(), goal == fx.app().ReminderEdit);
        }
        QVERIFY(fx.app().WebPane->isVisible());
        QVERIFY(!fx.app().ItemList->isVisible());
        QCOMPARE(fx.app().WebPaneShown, 1);
        QCOMPARE(fx.app().CurrentKind, 3);
        QCOMPARE(fx.app().CurrentGoalId, -1);
        for (int i = 0; i < kLauncherButtons; ++i)
            QCOMPARE(fx.app().LauncherTable->buttons[static_cast<std::size_t>(i)], fx.button(139 + i));
    }

    void theTodayLineComesFromToday()
    {
        AppFixture fx;
        QCOMPARE(fx.control<QLabel>(QStringLiteral("TodayLabel"))->text(), BuildTodayLine(*fx.app().today));
        QVERIFY(fx.control<QLabel>(QStringLiteral("TodayLabel"))->text().contains(QStringLiteral("2018")));
    }

    void enlargingTheWindowMovesNothing()
    {
        AppFixtureOptions options = WithOneMaxim();
        options.runStartup = false;
        AppFixture fx(options);
        InitAppContext(fx.exeDir());
        BuildGoalPanel();
        BuildItemPanel();
        fx.window()->resize(1600, 1000);
        QCoreApplication::processEvents();
        checkEveryControl(fx);
    }

    void theListShowsItsColumnsReversed()
    {
        AppFixture fx;
        QTableWidget* list = fx.app().ItemList;
        QHeaderView* header = list->horizontalHeader();
        const QStringList titles = {QStringLiteral("已完成"), QStringLiteral("完成情况"), QStringLiteral("工作内容"),
                                    QStringLiteral("ID"), QStringLiteral("IDME")};
        QCOMPARE(list->columnCount(), 5);
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(list->horizontalHeaderItem(column)->text(), titles[column]);
            QCOMPARE(header->visualIndex(column), 4 - column);
        }
        // 工作内容 takes what the others leave, with or without a vertical scroll bar
        list->show();
        for (int rows : {1, 200}) {
            list->setRowCount(rows);
            QTRY_COMPARE(list->verticalScrollBar()->isVisible(), rows > 1); // laid out after a delay
            QTRY_COMPARE(header->length(), list->viewport()->width());
            QVERIFY(!list->horizontalScrollBar()->isVisible());
            QCOMPARE(list->columnWidth(0), 50);
            QCOMPARE(list->columnWidth(1), 100);
            QVERIFY(list->columnWidth(2) >= 300);
            QCOMPARE(list->columnWidth(3), 30);
        }
        QVERIFY(list->isColumnHidden(4));
        QCOMPARE(header->sectionSize(4), 0);
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(list->verticalHeader()->isHidden());
    }

    void keyBoxesOnTheFirstDayOf2018()
    {
        AppFixture fx(At(QDate(2018, 1, 1)));
        QCOMPARE(fx.app().YearKeyEdit->text(), QStringLiteral("2018"));
        QCOMPARE(fx.app().MonthKeyEdit->text(), QStringLiteral("201801"));
        QCOMPARE(fx.app().DayKeyEdit->text(), QStringLiteral("20180101"));
    }

    void keyBoxesOnTheTwelfthOfNovember()
    {
        AppFixture fx(At(QDate(2025, 11, 12)));
        QCOMPARE(fx.app().YearKeyEdit->text(), QStringLiteral("2025"));
        QCOMPARE(fx.app().MonthKeyEdit->text(), QStringLiteral("202511"));
        QCOMPARE(fx.app().DayKeyEdit->text(), QStringLiteral("20251112"));
    }

    void anEmptyMaximsFileStartsNormally()
    {
        AppFixture fx;
        QCOMPARE(fx.control<QLabel>(QStringLiteral("MaximLabel"))->text(), QString());
        QVERIFY(QFile::exists(fx.exeDir() + QStringLiteral("/Dt/gey.txt")));
        QVERIFY(AppFixture::messages().isEmpty());
    }
};

QTEST_MAIN(MainLayoutTest)
#include "tst_main_layout.moc"
