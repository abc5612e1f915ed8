#include "launcher/launcher_dialog.h"

#include "launcher/launcher_table.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace jotrak {

namespace {

QPushButton* AddButton(QDialog* dialog, const QString& text, const char* name, QRect dlu)
{
    return JotrakDialog::Place(dialog, new QPushButton(text), name, dlu);
}

void AddLabel(QDialog* dialog, const QString& text, QRect dlu)
{
    auto* label = new QLabel(text, dialog);
    label->setGeometry(dlu);
}

} // namespace

LauncherDialog::LauncherDialog(QWidget* parent) : JotrakDialog(parent, QStringLiteral("按钮设置"), 300, 196)
{
    setObjectName(QStringLiteral("launcherDialog"));

    AddLabel(this, QStringLiteral("按钮名称:"), Dlu(7, 7, 90, 9));
    buttonList_ = new QListWidget(this);
    buttonList_->setObjectName(QStringLiteral("buttonList"));
    buttonList_->setGeometry(Dlu(7, 18, 96, 171));
    buttonList_->setSelectionMode(QAbstractItemView::SingleSelection);
    buttonList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    AddLabel(this, QStringLiteral("按钮名称:"), Dlu(112, 7, 181, 9));
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));
    nameEdit_->setGeometry(Dlu(112, 18, 181, 14));

    AddLabel(this, QStringLiteral("执行的文件与路径:"), Dlu(112, 39, 181, 9));
    pathEdit_ = new QPlainTextEdit(this);
    pathEdit_->setObjectName(QStringLiteral("pathEdit"));
    pathEdit_->setGeometry(Dlu(112, 50, 181, 62));
    MakeEnterPressDefault(pathEdit_);

    auto* chooseFile = AddButton(this, QStringLiteral("选择文件"), "chooseFileButton", Dlu(112, 119, 57, 16));
    auto* chooseFolder = AddButton(this, QStringLiteral("选择文件夹"), "chooseFolderButton", Dlu(174, 119, 57, 16));
    auto* clear = AddButton(this, QStringLiteral("清除"), "clearButton", Dlu(236, 119, 57, 16));
    auto* save = AddButton(this, QStringLiteral("保存"), "saveButton", Dlu(112, 141, 57, 16));
    auto* update = AddButton(this, QStringLiteral("更新界面并退出"), "updateAndExitButton", Dlu(174, 173, 70, 16));
    auto* exit = AddButton(this, QStringLiteral("退出"), "exitButton", Dlu(249, 173, 44, 16));
    update->setDefault(true);

    connect(buttonList_, &QListWidget::itemSelectionChanged, this, [this] { ShowSelectedButton(); });
    connect(chooseFile, &QPushButton::clicked, this, [this] { ChooseLauncherFile(); });
    connect(chooseFolder, &QPushButton::clicked, this, [this] { ChooseLauncherFolder(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearButton(); });
    connect(save, &QPushButton::clicked, this, [this] { SaveButton(); });
    connect(update, &QPushButton::clicked, this, [this] { accept(); });
    connect(exit, &QPushButton::clicked, this, [this] { reject(); });

    FillButtonList();
}

void LauncherDialog::FillButtonList()
{
    const QSignalBlocker quiet(buttonList_);
    buttonList_->clear();
    buttonList_->addItems(LauncherListLines(App().log.connection()));
}

int LauncherDialog::SelectedPosition() const
{
    const QList<QListWidgetItem*> selected = buttonList_->selectedItems();
    return selected.isEmpty() ? -1 : buttonList_->row(selected.constFirst());
}

void LauncherDialog::ShowSelectedButton()
{
    const int s = SelectedPosition();
    if (s < 0)
        return;
    RunGuarded(this, [&] {
        if (const auto row = ReadLauncherRow(App().log.connection(), s + 1)) {
            nameEdit_->setText(row->name);
            pathEdit_->setPlainText(row->path);
        }
    });
}

void LauncherDialog::ChooseLauncherFile()
{
    if (const auto path =
            ChooseOpenFile(this, QStringLiteral("请选择点击按钮后要打开的文件"), QStringLiteral("所有文件(*.*)")))
        pathEdit_->setPlainText(*path);
}

void LauncherDialog::ChooseLauncherFolder()
{
    if (const auto path = ChooseFolder(this, QStringLiteral("请选择点击按钮后要打开的文件夹")))
        pathEdit_->setPlainText(*path);
}

void LauncherDialog::ClearButton()
{
    nameEdit_->setText(EmptyButtonName);
    pathEdit_->clear();
}

void LauncherDialog::SaveButton()
{
    const int s = SelectedPosition();
    if (s < 0) {
        ShowMessage(this, QStringLiteral("请选择要保存到具体哪一个按钮上"));
        return;
    }
    const LauncherRow row{nameEdit_->text(), pathEdit_->toPlainText()};
    RunGuarded(this, [&] {
        if (!StoreLauncherRow(App().log.connection(), s + 1, row))
            return;
        FillButtonList();
        const QSignalBlocker quiet(buttonList_);
        buttonList_->setCurrentRow(s);
    });
}

} // namespace jotrak
