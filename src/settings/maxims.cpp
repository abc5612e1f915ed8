#include "settings/maxims.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <random>

namespace jotrak {

namespace {

bool EndsLine(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\0';
}

QByteArray ReadMaximFile(const QString& path)
{
    QFile file(path);
    if (!file.exists()) {
        // First start: leave an empty file for the user to fill.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(kMaximFileReadLimit + 1);
    if (bytes.size() > kMaximFileReadLimit) {
        bytes.truncate(kMaximFileReadLimit);
        const qsizetype lastBreak = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        if (lastBreak >= 0)
            bytes.truncate(lastBreak + 1);
    }
    return bytes;
}

} // namespace

bool NextMaximLine(QString& slot, QStringView text, qsizetype& cursor)
{
    slot.clear();
    if (cursor < 0 || cursor >= text.size() || text[cursor] == u'\0')
        return false;

    const qsizetype start = cursor;
    while (cursor < text.size() && !EndsLine(text[cursor]))
        ++cursor;
    slot = text.sliced(start, cursor - start).toString();

    for (const char16_t lineBreak : {u'\r', u'\n', u'\r', u'\n', u'\r', u'\n'}) {
        if (cursor < text.size() && text[cursor] == lineBreak)
            ++cursor;
    }
    return true;
}

QString DecodeMaximText(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    // Qt without ICU has no GB18030; UTF-8 is then the best remaining guess.
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
}

QByteArray EncodeMaximText(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.isValid() ? encoder.encode(text) : text.toUtf8();
}

void ParseMaxims(MaximList& list, const QByteArray& bytes)
{
    list.lines.clear();
    if (bytes.isEmpty())
        return;

    const QString text = DecodeMaximText(bytes);
    QString line;
    qsizetype cursor = 0;
    while (NextMaximLine(line, text, cursor))
        list.lines.append(line);
}

void LoadMaxims(MaximList& list, const QString& dataDir)
{
    ParseMaxims(list, ReadMaximFile(QDir(dataDir).filePath(QStringLiteral("gey.txt"))));
}

QString ChooseMaxim(const MaximList& list, qint64 secondsSinceEpoch)
{
    if (list.lines.isEmpty())
        return {};
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(secondsSinceEpoch));
    const auto r = generator();
    return list.lines.at(static_cast<qsizetype>(r % static_cast<std::minstd_rand::result_type>(list.count())));
}

} // namespace jotrak
