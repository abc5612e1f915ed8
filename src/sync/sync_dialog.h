#pragma once

#include "shell/jotrak_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace jotrak {

class SyncEngine;

// Dialog "同步": the sync folder (any folder another program keeps in step on
// each computer: Syncthing, a Nextcloud client, a mounted share), sync on or
// off, and the state of the last exchange with any problem in a sentence.
//
// Object names: "SyncFolderEdit", "btnChooseSyncFolder" (选择…), "SyncOnBox"
// (启用同步), "SyncStateLabel", "btnSyncNow" (立即同步), "btn1" (确定, the
// default), "btn2" (取消).
class SyncDialog : public JotrakDialog {
    Q_OBJECT
public:
    SyncDialog(SyncEngine& engine, QWidget* parent);

private:
    void showState();
    // Keeps what the dialog shows; false, with a message, when the folder cannot be used.
    bool keep();

    SyncEngine& engine_;
    QLineEdit* folder_ = nullptr;
    QCheckBox* on_ = nullptr;
    QLabel* state_ = nullptr;
};

} // namespace jotrak
