#pragma once

#include "backup/backup.h"
#include "shell/jotrak_dialog.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QThread;

namespace jotrak {

// Dialog "备份与恢复": the copies in the backup folder (date, size, goals and
// items each holds), 立即备份, 恢复 of the selected copy, and the choice of the
// backup folder. Every file is read and written on a thread of its own, so the
// window keeps answering; meanwhile the buttons are off and the dialog stays open.
//
// Object names: "BackupFolderEdit" (read-only), "btnChooseBackupFolder"
// (选择备份文件夹), "BackupList", "btnBackupNow" (立即备份), "btnRestore" (恢复),
// "BackupStatus", "btnClose" (关闭, the default button).
class BackupDialog : public JotrakDialog {
    Q_OBJECT
public:
    explicit BackupDialog(QWidget* parent);
    ~BackupDialog() override;

    void reject() override;

    void BackUpNow();
    // Asks first; backs the current file up, puts the selected copy in its
    // place whole, and reloads the main window from it.
    void RestoreSelected();
    // Remembers the folder chosen; the default folder when none is given.
    void ChooseBackupFolder();

private:
    // Reads the copies of the backup folder aside and shows them.
    void Refresh();
    // Shows the copies, and the last backup's time and result below them.
    void ShowBackups(const QList<BackupInfo>& backups);
    // Runs work on a thread of its own, then `then` here; the status line
    // tells what runs, and the buttons are off until it is done.
    void RunAside(const QString& status, std::function<void()> work, std::function<void()> then);

    QLineEdit* folderEdit_ = nullptr;
    QTableWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    QList<QPushButton*> buttons_;
    QList<BackupInfo> backups_;
    QThread* running_ = nullptr;
};

} // namespace jotrak
