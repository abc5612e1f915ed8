#pragma once

// AppFixture: a whole Jotrak inside a test process, started the way the program
// starts, with every platform seam in place. Link the test with jotrak_app.
//
//   #include "app/test_app_fixture.h"
//
//   std::unique_ptr<jotrak::test::AppFixture> fx;
//   void init() { fx = std::make_unique<jotrak::test::AppFixture>(); }
//   void cleanup() { fx.reset(); }
//
//   fx->app()                    AppContext& of the running program (App() works too)
//   fx->window()                 the main window (shown, offscreen)
//   fx->exeDir()                 program folder: a fresh temporary folder holding Dt/
//   fx->button(121)              the main-window button carrying that command id
//   fx->control<QLabel>("MaximLabel")   any control by object name (see app/main_layout.h)
//   fx->command(121)             runs a command as a click would (DispatchCommand)
//   AppFixture::messages()       the message boxes shown so far (text, caption, buttons)
//   AppFixture::clearMessages()
//   AppFixture::queueAnswer(kIdCancel)  answer for the next message box (OK when none)
//
// What the constructor does, in order:
//   1. fixes the clock at options.now (default 2018-01-01 09:00 local time);
//   2. enables MessageBoxSeam, FileDialogSeam and ShellSeam (nothing is shown,
//      opened or exited: see shell/message_box.h, shell/file_dialogs.h, shell/desktop.h);
//   3. makes the temporary program folder with an empty Dt/ and runs
//      options.prepare(exeDir) when given (write Dt/gey.txt, a database, ...);
//   4. creates AppContext and the real main window and shows it;
//   5. runs RunStartup(exeDir) unless options.runStartup is false; its message
//      boxes (a missing goal, say) are recorded like any other.
// The destructor closes the main window and the AppContext (and with it the
// database), then disables the seams and resets the clock.
// Only one AppFixture may exist at a time. The header includes the widget
// classes of the main window (QLineEdit, QPlainTextEdit, QTableWidget, ...).

#include "app/commands.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "calendar/clock.h"
#include "shell/app_context.h"
#include "shell/desktop.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace jotrak::test {

struct AppFixtureOptions {
    QDateTime now = QDateTime(QDate(2018, 1, 1), QTime(9, 0));
    std::function<void(const QString& exeDir)> prepare;
    bool runStartup = true;
};

class AppFixture {
public:
    explicit AppFixture(AppFixtureOptions options = {})
    {
        Clock::SetForTest(options.now);
        testing::MessageBoxSeam::Enable();
        testing::FileDialogSeam::Enable();
        testing::ShellSeam::Enable();
        QDir(dir_.path()).mkpath(QStringLiteral("Dt"));
        if (options.prepare)
            options.prepare(dir_.path());
        context_ = std::make_unique<AppContext>();
        window_ = std::make_unique<MainWindow>();
        window_->show();
        if (options.runStartup)
            RunStartup(dir_.path());
    }

    ~AppFixture()
    {
        window_.reset();
        context_.reset();
        testing::ShellSeam::Disable();
        testing::FileDialogSeam::Disable();
        testing::MessageBoxSeam::Disable();
        Clock::Reset();
    }

    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    AppContext& app() const { return *context_; }
    MainWindow* window() const { return window_.get(); }
    QString exeDir() const { return dir_.path(); }

    QPushButton* button(int commandId) const
    {
        return window_->findChild<QPushButton*>(QStringLiteral("btn%1").arg(commandId));
    }

    template <class T> T* control(const QString& objectName) const { return window_->findChild<T*>(objectName); }

    void command(int commandId) const { DispatchCommand(commandId); }

    static const QList<testing::ShownMessage>& messages() { return testing::MessageBoxSeam::Shown(); }
    static void clearMessages() { testing::MessageBoxSeam::Clear(); }
    static void queueAnswer(int answer) { testing::MessageBoxSeam::QueueAnswer(answer); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace jotrak::test
