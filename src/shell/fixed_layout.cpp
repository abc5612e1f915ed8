#include "shell/fixed_layout.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace jotrak {

QLabel* MakeStaticText(QWidget* parent, const QString& name, const QString& text, const QRect& place, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return PlaceControl(label, name, 0, place, font);
}

QPushButton* MakeCommandButton(QWidget* parent, int commandId, const QString& text, const QRect& place,
                               const QFont& font)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return PlaceControl(button, QStringLiteral("btn%1").arg(commandId), commandId, place, font);
}

QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name, const QRect& place, const QFont& textFont)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setTabChangesFocus(false);
    edit->setProperty(kTextFontProperty, true);
    return PlaceControl(edit, name, 0, place, textFont);
}

} // namespace jotrak
