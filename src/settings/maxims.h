#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace jotrak {

// The maxims of gey.txt in the data folder, one per line, in file order. Every line is kept,
// however many there are and however long they are.
struct MaximList {
    QStringList lines;

    int count() const { return static_cast<int>(lines.size()); }
};

// Only this much of the maxims file is read; a longer file loses its tail from
// the last line break inside the limit on.
inline constexpr qint64 kMaximFileReadLimit = 4 * 1024 * 1024;

// Takes the line at cursor into slot and moves cursor past it. The line runs to
// the first CR, LF or NUL; after it a CR, an LF, a CR, an LF, a CR and an LF are
// each skipped in turn when present, so up to three line breaks end a line.
// Returns false, with slot empty, at the end of the text or on a NUL.
bool NextMaximLine(QString& slot, QStringView text, qsizetype& cursor);

// The text of the maxims file is GB18030 (which reads GBK the same); where Qt
// has no GB18030, UTF-8 both ways.
QString DecodeMaximText(const QByteArray& bytes);
QByteArray EncodeMaximText(const QString& text);

// The maxims held by the bytes of a maxims file: decoded as GB18030 and split
// by NextMaximLine. Any bytes give a list; undecodable bytes become U+FFFD.
void ParseMaxims(MaximList& list, const QByteArray& bytes);

// Reads <dataDir>/gey.txt (GB18030, which reads GBK files the same) into list.
// A missing file is created empty. A file or folder that cannot be read leaves
// the list empty.
void LoadMaxims(MaximList& list, const QString& dataDir);

// The maxim shown for a run: a generator seeded with the time in seconds draws
// r, and line r mod count is taken. Empty text when there are no maxims.
QString ChooseMaxim(const MaximList& list, qint64 secondsSinceEpoch);

} // namespace jotrak
