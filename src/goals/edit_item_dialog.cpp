#include "goals/edit_item_dialog.h"

#include "shell/text_font.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace jotrak {

namespace {

QPlainTextEdit* MultiLineEdit(QWidget* parent, const char* name, const QRect& rect, const QString& text)
{
    auto* edit = JotrakDialog::Place(parent, new QPlainTextEdit(text), name, rect);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    UseTextFont(edit);
    JotrakDialog::MakeEnterPressDefault(edit);
    return edit;
}

QLabel* Label(QWidget* parent, const char* name, const QRect& rect, const char* text)
{
    return JotrakDialog::Place(parent, new QLabel(QString::fromUtf8(text)), name, rect);
}

} // namespace

EditItemDialog::EditItemDialog(QWidget* owner, EditItemDialogData& data)
    : JotrakDialog(owner, QString::fromUtf8("修改工作内容与设置完成情况"), 461, 345), data_(data)
{
    auto* ok = Place(this, new QPushButton(QString::fromUtf8("设   置")), "okButton", Dlu(135, 299, 59, 26));
    ok->setDefault(true);
    auto* cancel = Place(this, new QPushButton(QString::fromUtf8("取   消")), "cancelButton", Dlu(267, 299, 59, 26));

    Label(this, "contentLabel", Dlu(7, 7, 36, 8), "工作内容:");
    QPlainTextEdit* content = MultiLineEdit(this, "contentEdit", Dlu(51, 7, 403, 121), data_.content);
    Label(this, "noteLabel", Dlu(7, 140, 36, 8), "完成情况:");
    QPlainTextEdit* note = MultiLineEdit(this, "noteEdit", Dlu(51, 142, 403, 121), data_.note);

    auto* notDone = Place(this, new QRadioButton(QString::fromUtf8("未完成")), "notDoneRadio", Dlu(170, 277, 40, 10));
    auto* done = Place(this, new QRadioButton(QString::fromUtf8("已完成")), "doneRadio", Dlu(250, 277, 40, 10));
    (data_.done ? done : notDone)->setChecked(true);
    connect(notDone, &QRadioButton::clicked, this, [this] { data_.done = false; });
    connect(done, &QRadioButton::clicked, this, [this] { data_.done = true; });

    setTabOrder(ok, cancel);
    setTabOrder(cancel, content);
    setTabOrder(content, note);
    setTabOrder(note, notDone);
    setTabOrder(notDone, done);
    ok->setFocus();

    connect(ok, &QPushButton::clicked, this, &EditItemDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &EditItemDialog::reject);
    data_.dialog = this;
    data_.contentEdit = content;
    data_.noteEdit = note;
}

void EditItemDialog::accept()
{
    data_.content = data_.contentEdit->toPlainText();
    data_.note = data_.noteEdit->toPlainText();
    JotrakDialog::accept();
}

} // namespace jotrak
