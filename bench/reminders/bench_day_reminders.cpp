#include "app/main_window.h"
#include "app/startup.h"
#include "web/web_browser.h"
#include "goals/period_panel.h"
#include "data/record_access.h"
#include "data/seed.h"
#include "reminders/reminder_text.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

using namespace jotrak;

namespace {

// 1 000 schemes, half Gregorian and half lunar, yearly and monthly, with a
// content of about 40 characters; 20 of them fall on 21 February 2018.
void FillSchemes(ConnectionHolder& connection)
{
    Transaction transaction(connection);
    for (int i = 0; i < 1000; ++i) {
        const int day = i % 28 + 1;
        const int month = i % 12 + 1;
        const QString rule = i % 2 == 0 ? TwoDigitText(day) : TwoDigitText(month) + TwoDigitText(day);
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectSchemes(), connection);
        AddNewRow(rs);
        SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("方案 %1").arg(i));
        SetFieldValue(rs, QStringLiteral("nr"),
                      QString::fromUtf8("提醒内容:交报告、缴费、给家人打电话,第 %1 条").arg(i));
        SetFieldValue(rs, QStringLiteral("shijian"), rule);
        SetFieldValue(rs, QStringLiteral("lifa"), i % 4 < 2 ? 0 : 1);
        StoreRow(rs);
        CloseRecordset(rs);
    }
    transaction.commit();
}

void ComposeWithThousandSchemes(benchmark::State& state)
{
    QTemporaryDir dir;
    ConnectionHolder connection;
    OpenDatabase(connection, dir.filePath(QStringLiteral("Dt/db.mdb")));
    FillSchemes(connection);
    for (auto _ : state) {
        const QString text = ComposeDayReminders(connection, QStringLiteral("20180221"));
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(ComposeWithThousandSchemes)->Unit(benchmark::kMillisecond);

// The whole command 116 path: the day goal, the reminders, the reminder box.
void ShowDayRemindersWithThousandSchemes(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Dt"));
    testing::MessageBoxSeam::Enable();
    CWebBrowser2::TurnEngineOff(); // the start page is measured elsewhere
    AppContext app;
    MainWindow window(app.log);
    RunStartup(app, window, dir.path(), PortableDataFolder(dir.path()));
    FillSchemes(app.log.connection());
    window.panel(PeriodKind::Day)->keyEdit()->setText(QStringLiteral("20180221"));
    for (auto _ : state)
        window.runCommand(116);
    benchmark::DoNotOptimize(window.findChild<QPlainTextEdit*>(QStringLiteral("ReminderEdit"))->toPlainText().size());
    if (!testing::MessageBoxSeam::Shown().isEmpty())
        state.SkipWithError("a message box was shown");
    testing::MessageBoxSeam::Disable();
}
BENCHMARK(ShowDayRemindersWithThousandSchemes)->Unit(benchmark::kMillisecond);

} // namespace
