#include "sync/sync_dialog.h"

#include "shell/file_dialogs.h"
#include "shell/message_box.h"
#include "sync/sync_engine.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace jotrak {

namespace {

const QString kCaption = QStringLiteral("同步");

} // namespace

SyncDialog::SyncDialog(SyncEngine& engine, QWidget* parent) : JotrakDialog(parent, kCaption, 260, 150), engine_(engine)
{
    setObjectName(QStringLiteral("SyncDialog"));
    auto* hint =
        Place(this,
              new QLabel(QStringLiteral("选择一个由同步软件(如 Syncthing、Nextcloud 客户端、网络盘)在各台电脑间"
                                        "保持一致的文件夹。数据库本身不会放进去,只放修改记录。")),
              "SyncHintLabel", Dlu(7, 5, 246, 26));
    hint->setWordWrap(true);
    Place(this, new QLabel(QStringLiteral("同步文件夹")), "SyncFolderLabel", Dlu(7, 36, 50, 10));
    folder_ = Place(this, new QLineEdit(QDir::toNativeSeparators(engine_.settings().folder)), "SyncFolderEdit",
                    Dlu(60, 34, 150, 14));
    auto* choose = Place(this, new QPushButton(QStringLiteral("选择...")), "btnChooseSyncFolder", Dlu(214, 34, 39, 14));
    connect(choose, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> chosen = ChooseFolder(this, QStringLiteral("选择同步文件夹")))
            folder_->setText(QDir::toNativeSeparators(*chosen));
    });
    on_ = Place(this, new QCheckBox(QStringLiteral("启用同步")), "SyncOnBox", Dlu(60, 54, 100, 10));
    on_->setChecked(engine_.settings().enabled);
    state_ = Place(this, new QLabel, "SyncStateLabel", Dlu(7, 70, 246, 52));
    state_->setWordWrap(true);
    state_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* now = Place(this, new QPushButton(QStringLiteral("立即同步")), "btnSyncNow", Dlu(7, 128, 60, 14));
    auto* ok = Place(this, new QPushButton(QStringLiteral("确定")), "btn1", Dlu(149, 128, 50, 14));
    auto* cancel = Place(this, new QPushButton(QStringLiteral("取消")), "btn2", Dlu(203, 128, 50, 14));
    ok->setDefault(true);
    connect(now, &QPushButton::clicked, this, [this] {
        if (keep())
            engine_.syncNow();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (keep())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(&engine_, &SyncEngine::stateChanged, this, &SyncDialog::showState);
    showState();
}

void SyncDialog::showState()
{
    state_->setText(engine_.settings().enabled ? SyncStateText(engine_.state()) : QStringLiteral("同步已关闭。"));
}

bool SyncDialog::keep()
{
    const SyncSettings wanted{on_->isChecked(), QDir::fromNativeSeparators(folder_->text().trimmed())};
    if (wanted.enabled == engine_.settings().enabled && wanted.folder == engine_.settings().folder)
        return true;
    const QString problem = engine_.configure(wanted);
    if (problem.isEmpty())
        return true;
    ShowMessage(this, problem + QStringLiteral("。"), kCaption);
    return false;
}

} // namespace jotrak
