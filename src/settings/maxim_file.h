#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace jotrak {

// gey.txt as the maxims reader splits it, each maxim beside the very bytes it
// was read from, so that the editor writes back every line it did not change
// byte for byte: the blank lines the reader skips, LF or CR ends, bytes that
// are not GB18030, a last line without a break, whatever follows a NUL.
struct MaximFileLine {
    QString text;
    QByteArray raw;    // the line's bytes as read (for an edited line: as it will be written)
    QByteArray breaks; // the line breaks after it (up to three; the blank lines among them)
};

struct MaximFile {
    QList<MaximFileLine> lines;
    QByteArray tail; // from a NUL on: not read as maxims, kept as it is
};

MaximFile ParseMaximFile(const QByteArray& bytes);
QByteArray SerializeMaximFile(const MaximFile& file);
QStringList MaximTexts(const MaximFile& file);

// The edits of the maxims dialog. An edited or new line is written in GB18030
// ending in CR LF; a line break typed into the text becomes a blank. A blank
// text is refused (false, nothing changed), as is an index out of range.
// Deleting a line takes the blank lines after it along.
bool AppendMaxim(MaximFile& file, const QString& text);
bool ReplaceMaxim(MaximFile& file, int index, const QString& text);
bool RemoveMaxim(MaximFile& file, int index);

// Replaces path with bytes atomically: the old file stays whole until the new
// one is complete. Returns an empty string, or the system's reason of failure.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace jotrak
