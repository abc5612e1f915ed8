#include "backup/backup_dialog.h"

#include "backup/background_backup.h"
#include "backup/backup_settings.h"
#include "backup/restore.h"
#include "calendar/clock.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>

#include <memory>

namespace jotrak {

namespace {

const QString kCaption = QStringLiteral("备份与恢复");

QString SizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString CountText(int count)
{
    return count < 0 ? QStringLiteral("无法读取") : QString::number(count);
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

// What runs on the connection off this thread (every copy is a child of the
// log it copies) ends before a restore closes it.
void StopBackgroundBackups()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        for (BackgroundBackup* runner : window->findChildren<BackgroundBackup*>())
            runner->stop();
}

} // namespace

BackupDialog::BackupDialog(QWidget* parent) : JotrakDialog(parent, kCaption, 310, 200)
{
    setObjectName(QStringLiteral("BackupDialog"));
    Place(this, new QLabel(QStringLiteral("备份文件夹")), "BackupFolderLabel", Dlu(7, 9, 50, 10));
    folderEdit_ = Place(this, new QLineEdit, "BackupFolderEdit", Dlu(60, 7, 168, 14));
    folderEdit_->setReadOnly(true);
    folderEdit_->setFocusPolicy(Qt::ClickFocus); // the list takes the focus first
    auto* choose =
        Place(this, new QPushButton(QStringLiteral("选择备份文件夹")), "btnChooseBackupFolder", Dlu(234, 7, 70, 14));

    list_ = Place(this, new QTableWidget(0, 4), "BackupList", Dlu(7, 28, 221, 142));
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("日期"), QStringLiteral("大小"), QStringLiteral("目标数"), QStringLiteral("细项数")});
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        list_->setColumnWidth(column, 60);

    auto* now = Place(this, new QPushButton(QStringLiteral("立即备份")), "btnBackupNow", Dlu(234, 28, 70, 14));
    auto* restore = Place(this, new QPushButton(QStringLiteral("恢复")), "btnRestore", Dlu(234, 46, 70, 14));
    auto* close = Place(this, new QPushButton(QStringLiteral("关闭")), "btnClose", Dlu(234, 156, 70, 14));
    close->setDefault(true);
    status_ = Place(this, new QLabel, "BackupStatus", Dlu(7, 176, 297, 20));
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    buttons_ = {choose, now, restore, close};

    connect(choose, &QPushButton::clicked, this, [this] { ChooseBackupFolder(); });
    connect(now, &QPushButton::clicked, this, [this] { BackUpNow(); });
    connect(restore, &QPushButton::clicked, this, [this] { RestoreSelected(); });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    Refresh();
}

BackupDialog::~BackupDialog()
{
    if (running_) {
        running_->wait();
        delete running_;
    }
}

void BackupDialog::reject()
{
    if (!running_)
        JotrakDialog::reject();
}

void BackupDialog::RunAside(const QString& status, std::function<void()> work, std::function<void()> then)
{
    if (running_)
        return;
    for (QPushButton* button : buttons_)
        button->setEnabled(false);
    status_->setText(status);
    status_->setToolTip(status);
    running_ = QThread::create(std::move(work));
    connect(running_, &QThread::finished, this, [this, then = std::move(then)] {
        const std::function<void()> after = then; // outlives the thread this runs for
        running_->wait();                         // finished is sent just before the thread ends
        std::exchange(running_, nullptr)->deleteLater();
        for (QPushButton* button : buttons_)
            button->setEnabled(true);
        after();
    });
    running_->start(QThread::LowPriority);
}

void BackupDialog::Refresh()
{
    const QString folder = BackupFolder(App().dataDir);
    folderEdit_->setText(QDir::toNativeSeparators(folder));
    folderEdit_->setCursorPosition(0);
    const LogCopies log =
        CopiesOfLog(App().log.connection().handle(), QDir::fromNativeSeparators(App().log.connection().path()), folder);
    auto listed = std::make_shared<QList<BackupInfo>>();
    RunAside(
        QStringLiteral("正在读取备份……"), [log, listed] { *listed = ListBackups(log); },
        [this, listed] { ShowBackups(*listed); });
}

void BackupDialog::ShowBackups(const QList<BackupInfo>& backups)
{
    backups_ = backups;
    list_->setRowCount(static_cast<int>(backups.size()));
    for (int row = 0; row < list_->rowCount(); ++row) {
        const BackupInfo& info = backups[row];
        const QString when = info.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        list_->setItem(row, 0, Cell(info.beforeUpgrade ? when + QStringLiteral(" (升级前)") : when));
        list_->setItem(row, 1, Cell(SizeText(info.size), Qt::AlignRight));
        list_->setItem(row, 2, Cell(CountText(info.goals), Qt::AlignRight));
        list_->setItem(row, 3, Cell(CountText(info.items), Qt::AlignRight));
    }
    if (!backups.isEmpty())
        list_->selectRow(0);
    const std::optional<BackupResult> last = LastBackup(App().dataDir);
    const QString status =
        LastBackupText(App().dataDir) + (last && !last->ok ? QStringLiteral("\n") + last->reason : QString());
    // two lines fit; the whole of a long reason is in the tooltip
    status_->setText(status.section(u'\n', 0, 1));
    status_->setToolTip(status);
}

void BackupDialog::BackUpNow()
{
    sqlite3* source = App().log.connection().handle();
    const QString databasePath = QDir::fromNativeSeparators(App().log.connection().path());
    const QString folder = BackupFolder(App().dataDir);
    const QDateTime now = Clock::LocalNow();
    auto made = std::make_shared<BackupResult>();
    auto listed = std::make_shared<QList<BackupInfo>>();
    RunAside(
        QStringLiteral("正在备份,请稍候……"),
        [=] {
            *made = MakeBackup(source, databasePath, folder, now);
            *listed = ListBackups(CopiesOfLog(source, databasePath, folder));
        },
        [this, made, listed] {
            RememberBackup(App().dataDir, *made);
            ShowBackups(*listed);
            if (!made->ok)
                ShowMessage(this, made->reason, kCaption, MessageButtons::Ok, made->details);
        });
}

void BackupDialog::RestoreSelected()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= backups_.size()) {
        ShowMessage(this, QStringLiteral("请先在列表中选择要恢复的备份。"), kCaption);
        return;
    }
    const BackupInfo chosen = backups_[row];
    const QString when = chosen.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (ShowMessage(this,
                    QStringLiteral("用 %1 的备份替换现在的数据库吗?\n\n替换之前,现在的数据库会先备份。").arg(when),
                    kCaption, MessageButtons::OkCancel) != kIdOk)
        return;
    StopBackgroundBackups();
    // The restore opens the file on a connection of its own; the program's
    // connection stays on the file it had until the restore is over.
    const QString databasePath = QDir::fromNativeSeparators(App().log.connection().path());
    const QString folder = BackupFolder(App().dataDir);
    const QDateTime now = Clock::LocalNow();
    struct Outcome {
        RestoreResult result;
        bool failedToReopen = false; // the file may have been replaced
    };
    auto outcome = std::make_shared<Outcome>();
    RunAside(
        QStringLiteral("正在恢复,请稍候……"),
        [=] {
            try {
                ConnectionHolder own;
                OpenDatabase(own, databasePath);
                outcome->result = RestoreBackup(own, chosen.path, folder, now);
            } catch (const DatabaseError& error) {
                outcome->result.reason = error.message();
                outcome->result.details = error.details();
                outcome->failedToReopen = true;
            }
        },
        [this, outcome, databasePath, when] {
            const RestoreResult& result = outcome->result;
            if (result.before.ok)
                RememberBackup(App().dataDir, result.before);
            bool reloaded = !result.ok && !outcome->failedToReopen;
            if (!reloaded) {
                StopBackgroundBackups(); // one started since the restore ended copies the file as it was
                RunGuarded(this, [&] {
                    App().log.reopen(databasePath);
                    reloaded = true;
                });
            }
            if (!result.ok)
                ShowMessage(this, result.reason, kCaption, MessageButtons::Ok, result.details);
            else if (reloaded)
                ShowMessage(this, QStringLiteral("已恢复 %1 的备份。").arg(when), kCaption);
            Refresh();
        });
}

void BackupDialog::ChooseBackupFolder()
{
    const std::optional<QString> folder = ChooseFolder(this, QStringLiteral("选择备份文件夹"));
    if (!folder)
        return;
    SetBackupFolder(App().dataDir, *folder);
    Refresh();
}

} // namespace jotrak
