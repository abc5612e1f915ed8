#include "shell/fonts.h"

#include <QStringList>

namespace jotrak {

namespace {

QFont MakeFont(int pixelSize, QFont::Weight weight, const QStringList& families)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

QFont SongFont(int pixelSize)
{
    return MakeFont(pixelSize, QFont::Normal,
                    {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                     QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
}

QFont KaiFont(int pixelSize)
{
    return MakeFont(pixelSize, QFont::Thin,
                    {QStringLiteral("华文行楷"), QStringLiteral("STXingkai"), QStringLiteral("AR PL UKai CN"),
                     QStringLiteral("Noto Sans CJK SC")});
}

} // namespace jotrak
