#pragma once

#include <QFont>

#include <optional>

class QWidget;

namespace jotrak {

// The font of the texts the user writes, chosen in 设置: a family and a size
// in points, kept in the settings (TextFont/family, TextFont/size).
inline constexpr double kMinTextFontSize = 6;
inline constexpr double kMaxTextFontSize = 72;

// The user's font of that family and size, drawn as the desktop draws its fonts
// (the program's own fonts are drawn unhinted).
QFont TextFont(const QString& family, double points);
// The font kept in the settings; nothing when none was chosen, or when what is
// kept is no font (an empty family, a size out of range). Asks no font database.
std::optional<QFont> ReadTextFont();
// Keeps family and size; false when the settings file could not be written.
bool StoreTextFont(const QFont& font);

// Makes font App().fontText and gives it to every control that shows the
// user's texts (kTextFontProperty): the goal boxes, the reminder box and the
// rows of the item list. Their places stay as they are: text that no
// longer fits scrolls, and the rows of the list grow with the font.
void ApplyTextFont(const QFont& font);
// What ApplyTextFont gives one such control; for one made after the font was chosen.
void GiveTextFont(QWidget* textControl, const QFont& font);
// Gives App().fontText to a text box of a dialog (134, 135).
void UseTextFont(QWidget* textBox);

} // namespace jotrak
