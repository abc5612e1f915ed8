#pragma once

// The program as it stands after start-up on a portable Dt/ of its own, minus
// the web page, with a day key in the day box: for the benchmarks that drive
// the main window without starting a process.
#include "app/main_window.h"
#include "app/startup.h"
#include "web/web_browser.h"
#include "goals/period_panel.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace jotrak::bench {

struct ProgramAfterStartup {
    QTemporaryDir dir;
    AppContext context;
    std::unique_ptr<MainWindow> window;

    // prepare runs on the empty Dt/ first (to put a database there, say).
    ProgramAfterStartup(const QString& dayKey, const std::function<void(const QString& dataDir)>& prepare = {})
    {
        testing::MessageBoxSeam::Enable();
        CWebBrowser2::TurnEngineOff(); // the start page is measured elsewhere
        QDir(dir.path()).mkpath(QStringLiteral("Dt"));
        if (prepare)
            prepare(dir.filePath(QStringLiteral("Dt")));
        window = std::make_unique<MainWindow>(context.log);
        window->show();
        RunStartup(context, *window, dir.path(), PortableDataFolder(dir.path()));
        window->panel(PeriodKind::Day)->keyEdit()->setText(dayKey);
    }
};

} // namespace jotrak::bench
