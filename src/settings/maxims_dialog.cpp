#include "settings/maxims_dialog.h"

#include "settings/maxims.h"
#include "shell/app_context.h"
#include "shell/message_box.h"
#include "shell/text_font.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QModelIndex>
#include <QPushButton>

namespace jotrak {

namespace {

QString MaximPath()
{
    return QDir(App().dataDir).filePath(QStringLiteral("gey.txt"));
}

QPushButton* Button(QWidget* dialog, const char* name, const QString& text, int x)
{
    return JotrakDialog::Place(dialog, new QPushButton(text), name, JotrakDialog::Dlu(x, 170, 50, 14));
}

} // namespace

MaximsDialog::MaximsDialog(QWidget* parent, MaximFile file)
    : JotrakDialog(parent, QStringLiteral("格言警句设置"), 300, 192), file_(std::move(file))
{
    Place(this, new QLabel(QStringLiteral("格言警句列表")), "MaximListLabel", Dlu(7, 7, 100, 10));
    list_ = Place(this, new QListWidget, "list1009", Dlu(7, 19, 286, 126));
    UseTextFont(list_);
    edit_ = Place(this, new QLineEdit, "edit1004", Dlu(7, 151, 286, 14));
    connect(Button(this, "btn1011", QStringLiteral("新增"), 7), &QPushButton::clicked, this, &MaximsDialog::add);
    connect(Button(this, "btn1012", QStringLiteral("修改"), 61), &QPushButton::clicked, this, &MaximsDialog::modify);
    connect(Button(this, "btn1013", QStringLiteral("删除"), 115), &QPushButton::clicked, this, &MaximsDialog::remove);
    QPushButton* ok = Button(this, "btn1", QStringLiteral("确定"), 189);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &MaximsDialog::save);
    connect(Button(this, "btn2", QStringLiteral("取消"), 243), &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            edit_->setText(file_.lines[row].text);
    });
    showLines(-1);
    edit_->setFocus();
}

int MaximsDialog::LastRow() const
{
    return static_cast<int>(file_.lines.size()) - 1;
}

void MaximsDialog::showLines(int current)
{
    list_->clear();
    list_->addItems(MaximTexts(file_));
    // through the view, so that focus coming to the list does not choose its first line
    list_->setCurrentIndex(list_->model()->index(current, 0));
}

void MaximsDialog::add()
{
    if (!AppendMaxim(file_, edit_->text())) {
        ShowMessage(this, QStringLiteral("格言警句不能为空"));
        return;
    }
    changed_ = true;
    showLines(LastRow());
}

void MaximsDialog::modify()
{
    const int row = list_->currentRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请先在列表中选择要修改的格言警句"));
    } else if (!ReplaceMaxim(file_, row, edit_->text())) {
        ShowMessage(this, QStringLiteral("格言警句不能为空"));
    } else {
        changed_ = true;
        showLines(row);
    }
}

void MaximsDialog::remove()
{
    const int row = list_->currentRow();
    if (!RemoveMaxim(file_, row)) {
        ShowMessage(this, QStringLiteral("请先在列表中选择要删除的格言警句"));
        return;
    }
    changed_ = true;
    showLines(std::min(row, LastRow()));
    if (row > LastRow())
        edit_->clear();
}

void MaximsDialog::save()
{
    if (changed_) {
        const QByteArray bytes = SerializeMaximFile(file_);
        const QString failure = WriteFileAtomically(MaximPath(), bytes);
        if (!failure.isEmpty()) {
            ShowMessage(
                this,
                QStringLiteral("格言警句文件 %1 无法写入,修改还没有保存。请检查该文件夹是否可写,再按“确定”重试。")
                    .arg(QDir::toNativeSeparators(MaximPath())),
                QStringLiteral("格言警句设置"), MessageButtons::Ok, failure);
            return;
        }
        if (App().MaximList)
            ParseMaxims(*App().MaximList, bytes);
    }
    accept();
}

bool OpenMaximsDialog(QWidget* owner)
{
    QFile file(MaximPath());
    QByteArray bytes;
    if (file.exists() && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.exists() && (!file.isOpen() || file.error() != QFile::NoError)) {
        ShowMessage(owner, QStringLiteral("无法读取格言警句文件 %1。").arg(QDir::toNativeSeparators(MaximPath())),
                    QStringLiteral("格言警句设置"), MessageButtons::Ok, file.errorString());
        return false;
    }
    MaximsDialog dialog(owner, ParseMaximFile(bytes));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace jotrak
