#include "shell/fonts.h"

#include <QStringList>

#ifdef JOTRAK_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace jotrak {

namespace {

QFont MakeFont(int pixelSize, QFont::Weight weight, const QStringList& families)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    // outlines as drawn: at these sizes the CJK faces look the same hinted, and hinting
    // each glyph took as long again as drawing it, on every glyph of the first frame
    font.setHintingPreference(QFont::PreferNoHinting);
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

FontConfigurationLoader::FontConfigurationLoader()
{
#ifdef JOTRAK_FONTCONFIG
    thread_ = std::thread([] { FcInit(); });
#endif
}

FontConfigurationLoader::~FontConfigurationLoader()
{
    wait();
}

void FontConfigurationLoader::wait()
{
    if (thread_.joinable())
        thread_.join();
}

} // namespace jotrak
