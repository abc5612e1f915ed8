#include "varied_text.h"

#include <cmath>

namespace jotrak::bench {

namespace {

// Common characters of work notes, most used first.
const char16_t* const kCommon = u"的一是在了不和有大这主中人上为们地个用工时要动国产以我到他会作来分生对于学下级就年阶"
                                u"义发成部民可出能方进同行面说种"
                                u"过命度革而多子后自社加小机也经力线本电高量长党得实家定深法表着水理化争现所二起政三好"
                                u"十战无农使性前等反体合斗路图把结第"
                                u"里正新开论之物从当两些还天资事队批如应形想制心样干都向变关点育重其思与间内去因件日利"
                                u"相由压员气业代全组数果期导平各基或"
                                u"月毛然问比展那它最及外没看治提五解系林者米群头意只明四道马认次文通但条较克又公孔领军"
                                u"流入接席位情运器并飞原油放立题质指"
                                u"建区验活众很教决特此常石强极土少已根共直团统式转别造切九你取西持总料连任志观调七么山"
                                u"程百报更见必真保热委手改管处己将修支"
                                u"识病象几先老光专什六型具示复安带每东增则完风回南广劳轮科北打积车计给节做务被整联步类"
                                u"集号列温装即毫知轴研单色坚据速防史拉"
                                u"世设达尔场织历花受求传口断况采精金界品判参层止边清至万确究书术状厂须离再目海交权且儿"
                                u"青才证低越际八试规斯近注办布门铁需走"
                                u"议县兵固除般引齿千胜细影济白格效置推空配刀叶率述今选养德话查差半敌始片施响收华觉备名"
                                u"红续均药标记难存测士身紧液派准斤角降"
                                u"维板许破述技消底床田势端感往神便贺村构照容非搞亚磨族火段算适讲按值美态黄易彪服早班麦"
                                u"削信排台声该击素张密害侯草何树肥继右"
                                u"属市严径螺检左页抗苏显苦英快称坏移约巴材省黑武培著河帝仅针怎植京助升王眼她抓含苗副杂"
                                u"普谈围食射源例致酸旧却充足短划剂宣环"
                                u"落首尺波承粉践府鱼随考刻靠够满夫失包住促枝局菌杆周护岩师举曲春元超负砂封换太模贫减阳"
                                u"扬江析亩木言球朝医校古呢稻宋听唯输滑"
                                u"站另卫字鼓刚写刘微略范供阿块某功套友限项余倒卷创律雨让骨远帮初皮播优占死毒圈伟季训控"
                                u"激找叫云互跟裂粮粒母练塞钢顶策双留误";
// Characters each found in one of the rarest words only.
const char16_t* const kRare = u"鑫翊彧婧琪璐瑾懿骞淼犇焱燚垚钰翀暄晞昀炜煜珩玥琰璟瑜瀚沛澍湛霈";
const QString kBreaks[] = {QStringLiteral(","), QStringLiteral(","),  QStringLiteral(" "), QStringLiteral("、"),
                           QStringLiteral(";"), QStringLiteral("。"), QStringLiteral("\n")};

constexpr int kVocabulary = 4000;
constexpr int kRareFrom = kVocabulary - 30; // words from here on take a rare character each

} // namespace

VariedText::VariedText()
{
    const QString common = QString::fromUtf16(kCommon);
    const QString rare = QString::fromUtf16(kRare);
    for (int n = 0; n < kVocabulary; ++n) {
        const int length = 2 + static_cast<int>(random() % 3);
        QString w;
        for (int c = 0; c < length; ++c) {
            // skewed towards the first characters of the list, as in real text
            const double u = (random() % 100000) / 100000.0;
            w += common.at(static_cast<int>(u * u * common.size()));
        }
        if (n >= kRareFrom)
            w[static_cast<int>(random() % static_cast<std::uint32_t>(length))] = rare.at(n - kRareFrom);
        vocabulary_ << w;
    }
}

std::uint32_t VariedText::random()
{
    // xorshift64*: small, fast and the same everywhere
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1DULL) >> 32);
}

const QString& VariedText::word()
{
    // Zipf-like: word n drawn about as often as 1/n
    const double u = (random() % 1000000) / 1000000.0;
    const int n = static_cast<int>(std::pow(static_cast<double>(kVocabulary), u)) - 1;
    return vocabulary_.at(n);
}

QString VariedText::sentence(int words)
{
    QString text;
    for (int n = 0; n < words; ++n) {
        if (n > 0)
            text += kBreaks[random() % std::size(kBreaks)];
        text += word();
    }
    return text;
}

} // namespace jotrak::bench
