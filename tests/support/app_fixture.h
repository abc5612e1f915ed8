#pragma once

// The real main window on an empty portable Dt/, every seam in place. Only one at a time.

#include "shell/app_context.h"
#include "shell/file_dialogs.h"
#include "app/main_window.h"
#include "goals/work_item_model.h"
#include "goals/work_item_view.h"
#include "shell/message_box.h"
#include "shell/desktop.h"

#include <QDateTime>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQueue>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace jotrak::test {

// Answers modal dialogs in order (also nested); one left open or unexpected (counted) is rejected.
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

template <class W = QPushButton> W* In(QObject* parent, const char* name)
{
    return parent->findChild<W*>(QLatin1String(name));
}

struct AppFixtureOptions {
    QDateTime now = QDateTime(QDate(2018, 1, 1), QTime(9, 0));
    std::function<void(const QString& dataDir)> prepare; // runs on the empty data folder
};

class AppFixture {
public:
    explicit AppFixture(AppFixtureOptions options = {});
    ~AppFixture();

    AppContext& app() const { return *context_; }
    ConnectionHolder& db() const { return context_->log.connection(); }
    MainWindow* window() const { return window_.get(); }
    QString dataDir() const { return dir_.filePath(QStringLiteral("Dt")); }
    QPushButton* button(int commandId) const { return control<QPushButton>(QStringLiteral("btn%1").arg(commandId)); }
    template <class T = QWidget> T* control(const QString& name) const { return window_->findChild<T*>(name); }
    QPlainTextEdit* box(const char* name) const { return control<QPlainTextEdit>(QLatin1String(name)); }
    QLineEdit* keyBox(const char* name) const { return control<QLineEdit>(QLatin1String(name)); }
    WorkItemView* itemList() const { return window_->itemView(); }
    // Each listed row as "number|content|note|state", top to bottom.
    QStringList listedRows() const;
    void command(int commandId) const { window_->runCommand(commandId); }

    static const QList<testing::ShownMessage>& messages() { return testing::MessageBoxSeam::Shown(); }
    static QStringList texts(); // each text, and "caption: ..." when it differs
    static void clearMessages() { testing::MessageBoxSeam::Clear(); }
    static void queueAnswer(int answer) { testing::MessageBoxSeam::QueueAnswer(answer); }

    ModalAnswers modals;

private:
    QTemporaryDir dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace jotrak::test
