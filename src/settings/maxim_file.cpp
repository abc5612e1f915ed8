#include "settings/maxim_file.h"

#include "settings/maxims.h"

#include <QSaveFile>

namespace jotrak {

namespace {

constexpr char kCrLf[] = "\r\n";

bool EndsLine(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// A maxim is one line: breaks and NULs typed or pasted into it become blanks.
QString OneLine(QString text)
{
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            c = u' ';
    return text;
}

void SetText(MaximFileLine& line, const QString& text)
{
    line.text = text;
    line.raw = EncodeMaximText(text);
    // the line's own break becomes CR LF; the blank lines after it stay as they were
    const qsizetype own = line.breaks.startsWith(kCrLf) ? 2 : (line.breaks.isEmpty() ? 0 : 1);
    line.breaks = kCrLf + line.breaks.mid(own);
}

} // namespace

MaximFile ParseMaximFile(const QByteArray& bytes)
{
    // the same split as NextMaximLine, on the bytes
    MaximFile file;
    qsizetype cursor = 0;
    while (cursor < bytes.size() && bytes[cursor] != '\0') {
        const qsizetype start = cursor;
        while (cursor < bytes.size() && !EndsLine(bytes[cursor]))
            ++cursor;
        const qsizetype breaksStart = cursor;
        for (const char lineBreak : {'\r', '\n', '\r', '\n', '\r', '\n'}) {
            if (cursor < bytes.size() && bytes[cursor] == lineBreak)
                ++cursor;
        }
        const QByteArray raw = bytes.sliced(start, breaksStart - start);
        file.lines.append({DecodeMaximText(raw), raw, bytes.sliced(breaksStart, cursor - breaksStart)});
    }
    file.tail = bytes.sliced(cursor);
    return file;
}

QByteArray SerializeMaximFile(const MaximFile& file)
{
    QByteArray bytes;
    for (const MaximFileLine& line : file.lines)
        bytes += line.raw + line.breaks;
    return bytes + file.tail;
}

QStringList MaximTexts(const MaximFile& file)
{
    QStringList texts;
    for (const MaximFileLine& line : file.lines)
        texts.append(line.text);
    return texts;
}

bool AppendMaxim(MaximFile& file, const QString& text)
{
    const QString line = OneLine(text);
    if (line.trimmed().isEmpty())
        return false;
    if (!file.lines.isEmpty() && file.lines.constLast().breaks.isEmpty())
        file.lines.last().breaks = kCrLf; // a last line without a break gets one
    file.lines.append(MaximFileLine{});
    SetText(file.lines.last(), line);
    return true;
}

bool ReplaceMaxim(MaximFile& file, int index, const QString& text)
{
    const QString line = OneLine(text);
    if (index < 0 || index >= file.lines.size() || line.trimmed().isEmpty())
        return false;
    if (file.lines[index].text != line)
        SetText(file.lines[index], line);
    return true;
}

bool RemoveMaxim(MaximFile& file, int index)
{
    if (index < 0 || index >= file.lines.size())
        return false;
    file.lines.removeAt(index);
    return true;
}

QString WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace jotrak
