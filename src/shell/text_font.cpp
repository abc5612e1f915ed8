#include "shell/text_font.h"

#include "shell/app_context.h"
#include "shell/settings_store.h"

#include "shell/fixed_layout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace jotrak {

namespace {
const QString kFamilyKey = QStringLiteral("TextFont/family");
const QString kSizeKey = QStringLiteral("TextFont/size");
} // namespace

std::optional<QFont> ReadTextFont()
{
    if (SettingsFile().isEmpty())
        return std::nullopt;
    const auto settings = OpenSettings();
    const QString family = settings->value(kFamilyKey).toString();
    bool isNumber = false;
    const double size = settings->value(kSizeKey).toDouble(&isNumber);
    if (family.isEmpty() || !isNumber || size < kMinTextFontSize || size > kMaxTextFontSize)
        return std::nullopt;
    return TextFont(family, size);
}

QFont TextFont(const QString& family, double points)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setHintingPreference(QFont::PreferDefaultHinting);
    return font;
}

bool StoreTextFont(const QFont& font)
{
    if (SettingsFile().isEmpty())
        return false;
    const auto settings = OpenSettings();
    settings->setValue(kFamilyKey, font.family());
    settings->setValue(kSizeKey, font.pointSizeF());
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void ApplyTextFont(const QFont& font)
{
    App().fontText = font;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->property(kTextFontProperty).toBool())
            GiveTextFont(widget, font);
    }
}

void GiveTextFont(QWidget* textControl, const QFont& font)
{
    textControl->setFont(font);
    if (auto* list = qobject_cast<QTableView*>(textControl)) {
        QHeaderView* rows = list->verticalHeader();
        rows->setDefaultSectionSize(std::max(rows->minimumSectionSize(), QFontMetrics(font).height() + 6));
    }
}

void UseTextFont(QWidget* textBox)
{
    if (HasApp() && App().fontText.resolveMask() != 0)
        textBox->setFont(App().fontText);
}

} // namespace jotrak
