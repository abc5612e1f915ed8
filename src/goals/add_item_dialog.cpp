#include "goals/add_item_dialog.h"

#include "shell/message_box.h"
#include "shell/text_font.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace jotrak {

AddItemDialog::AddItemDialog(QWidget* owner, AddItemDialogData& data)
    : JotrakDialog(owner, QString::fromUtf8("新增工作内容"), 408, 182), data_(data)
{
    auto* ok = Place(this, new QPushButton(QString::fromUtf8("新  增")), "okButton", Dlu(100, 151, 58, 21));
    ok->setDefault(true);
    auto* cancel = Place(this, new QPushButton(QString::fromUtf8("取  消")), "cancelButton", Dlu(248, 151, 58, 21));
    Place(this, new QLabel(QString::fromUtf8("工作内容:")), "contentLabel", Dlu(20, 15, 36, 8));

    contentEdit_ = Place(this, new QPlainTextEdit, "contentEdit", Dlu(59, 7, 342, 139));
    contentEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    contentEdit_->setTabChangesFocus(true);
    UseTextFont(contentEdit_);
    MakeEnterPressDefault(contentEdit_);

    setTabOrder(ok, cancel);
    setTabOrder(cancel, contentEdit_);
    ok->setFocus();

    connect(ok, &QPushButton::clicked, this, &AddItemDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AddItemDialog::reject);
    data_.dialog = this;
}

void AddItemDialog::accept()
{
    data_.content = contentEdit_->toPlainText();
    if (data_.content.isEmpty()) {
        ShowMessage(this, QString::fromUtf8("请输入工作内容再新增"));
        return;
    }
    JotrakDialog::accept();
}

} // namespace jotrak
