#pragma once

// The real main window inside a test, started as the program starts on an empty
// portable Dt/, with every platform seam in place (nothing is shown, opened or
// exited), and the answerer of modal dialogs. Only one may exist at a time.
//
//   AppFixture fx;                     clock at 2018-01-01 09:00
//   fx.button(121), fx.control<QLabel>("MaximLabel"), fx.command(121)
//   fx.modals.next<AddItemDialog>([](AddItemDialog* d) { ... });   before the command
//   AppFixture::texts()                the message boxes shown: text, and "caption: ..." when it differs
//   AppFixture::queueAnswer(kIdCancel) answer of the next message box (OK when none)

#include "shell/app_context.h"
#include "shell/file_dialogs.h"
#include "app/main_window.h"
#include "shell/message_box.h"
#include "shell/desktop.h"

#include <QDateTime>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQueue>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace jotrak::test {

// Answers modal dialogs while the code under test waits in exec(): each one that
// opens gets the next queued answer and is rejected if the answer leaves it open;
// one nobody expected is rejected and counted. A dialog opened from inside an
// answer (a dialog over a dialog) takes the next answer in the queue.
class ModalAnswers {
public:
    ModalAnswers();
    template <class D = QDialog> void next(std::function<void(D*)> answer)
    {
        queue_.enqueue([answer](QDialog* modal) {
            D* dialog = qobject_cast<D*>(modal);
            QVERIFY2(dialog, qPrintable(QStringLiteral("another dialog opened: ") + modal->windowTitle()));
            answer(dialog);
        });
    }
    int pending() const { return static_cast<int>(queue_.size()); }
    int unexpected() const { return unexpected_; }

private:
    void poll();
    QObject context_;
    QQueue<std::function<void(QDialog*)>> queue_;
    int unexpected_ = 0;
    QList<QDialog*> answering_;
};

struct AppFixtureOptions {
    QDateTime now = QDateTime(QDate(2018, 1, 1), QTime(9, 0));
    std::function<void(const QString& dataDir)> prepare; // runs on the empty data folder
};

class AppFixture {
public:
    explicit AppFixture(AppFixtureOptions options = {});
    ~AppFixture();

    AppContext& app() const { return *context_; }
    ConnectionHolder& db() const { return context_->connection; }
    MainWindow* window() const { return window_.get(); }
    QString dataDir() const { return dir_.filePath(QStringLiteral("Dt")); }
    QPushButton* button(int commandId) const;
    template <class T = QWidget> T* control(const QString& name) const { return window_->findChild<T*>(name); }
    void command(int commandId) const;

    static const QList<testing::ShownMessage>& messages() { return testing::MessageBoxSeam::Shown(); }
    static QStringList texts();
    static void clearMessages() { testing::MessageBoxSeam::Clear(); }
    static void queueAnswer(int answer) { testing::MessageBoxSeam::QueueAnswer(answer); }

    ModalAnswers modals;

private:
    QTemporaryDir dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace jotrak::test
