#include "support/app_fixture.h"
#include "app/startup.h"
#include "calendar/clock.h"

#include <QApplication>
#include <QDir>
#include <QPointer>

namespace jotrak::test {

ModalAnswers::ModalAnswers()
{
    poll();
}

void ModalAnswers::poll()
{
    // a new timer each time: a running one does not fire inside its own slot, where a nested dialog waits
    QTimer::singleShot(5, &context_, [this] { poll(); });
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!modal || !modal->isVisible() || answering_.contains(modal))
        return;
    answering_.append(modal);
    QPointer<QDialog> guard(modal);
    if (queue_.isEmpty())
        ++unexpected_;
    else
        queue_.dequeue()(modal);
    if (guard && guard->isVisible())
        guard->reject(); // a failed or missing answer must not leave the test waiting
    answering_.removeOne(modal);
}

AppFixture::AppFixture(AppFixtureOptions options)
{
    Clock::SetForTest(options.now);
    testing::MessageBoxSeam::Enable();
    testing::FileDialogSeam::Enable();
    testing::ShellSeam::Enable();
    QDir(dir_.path()).mkpath(QStringLiteral("Dt"));
    if (options.prepare)
        options.prepare(dataDir());
    context_ = std::make_unique<AppContext>();
    window_ = std::make_unique<MainWindow>(context_->log);
    window_->show();
    RunStartup(*context_, *window_, dir_.path(), PortableDataFolder(dir_.path()));
    FinishStartup(*context_, *window_);
}

AppFixture::~AppFixture()
{
    window_.reset();
    context_.reset();
    testing::ShellSeam::Disable();
    testing::FileDialogSeam::Disable();
    testing::MessageBoxSeam::Disable();
    Clock::Reset();
}

QStringList AppFixture::listedRows() const
{
    QStringList rows;
    const WorkItemModel& model = itemList()->items();
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column : {WorkItemModel::kNumberColumn, WorkItemModel::kContentColumn, WorkItemModel::kNoteColumn,
                           WorkItemModel::kDoneColumn})
            cells << model.index(row, column).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

QStringList AppFixture::texts()
{
    QStringList texts;
    for (const testing::ShownMessage& message : messages()) {
        texts << message.text;
        if (message.caption != message.text)
            texts << QStringLiteral("caption: ") + message.caption;
    }
    return texts;
}

} // namespace jotrak::test
