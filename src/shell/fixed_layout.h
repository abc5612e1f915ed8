#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QVariant>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace jotrak {

// The main window's controls stand at fixed client coordinates. Every control
// carries its name and its command identifier (0 for none) in the property
// "commandId".
inline constexpr char kCommandIdProperty[] = "commandId";
// Set on the controls that show the texts the user writes: they take the text
// font chosen in 设置 (text_font.h).
inline constexpr char kTextFontProperty[] = "showsUserText";

// Gives widget its name, command identifier, place and font; visible unless said.
template <class W>
W* PlaceControl(W* widget, const QString& name, int commandId, const QRect& place, const QFont& font,
                bool visible = true)
{
    widget->setObjectName(name);
    widget->setProperty(kCommandIdProperty, commandId);
    widget->setGeometry(place);
    widget->setFont(font);
    widget->setVisible(visible);
    return widget;
}

// A plain static text: top-left, wrapped at the right edge.
QLabel* MakeStaticText(QWidget* parent, const QString& name, const QString& text, const QRect& place,
                       const QFont& font);
// A push button that Enter elsewhere does not press.
QPushButton* MakeCommandButton(QWidget* parent, int commandId, const QString& text, const QRect& place,
                               const QFont& font);
// A multi-line text box with a vertical scroll bar, wrapped at its width, in the text font.
QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name, const QRect& place, const QFont& textFont);

} // namespace jotrak
