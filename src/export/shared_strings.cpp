#include "export/shared_strings.h"

#include "export/byte_io.h"

#include <algorithm>

namespace jotrak::xls {

namespace {

constexpr quint8 kHighByte = 0x01;   // characters stored as UTF-16LE
constexpr quint8 kExtString = 0x04;  // phonetic data follows
constexpr quint8 kRichString = 0x08; // formatting runs follow

// Walks a string table over record boundaries. Plain reads run straight on into
// the next record; character arrays restart there behind a fresh option byte.
class TableCursor {
public:
    explicit TableCursor(const std::vector<QByteArray>& bodies) : bodies_(bodies) {}

    bool ok() const { return ok_; }
    quint32 record() const { return record_; }
    quint32 offset() const { return static_cast<quint32>(pos_); }

    // Moves off an exhausted record so that position() names where the next byte is.
    void settle()
    {
        while (ok_ && pos_ >= bodies_[record_].size() && record_ + 1 < bodies_.size()) {
            ++record_;
            pos_ = 0;
        }
    }

    quint32 readPlain(int bytes)
    {
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= quint32{nextByte()} << (8 * i);
        return value;
    }

    void skipPlain(quint64 bytes)
    {
        while (ok_ && bytes > 0) {
            settle();
            const quint64 here = static_cast<quint64>(bodies_[record_].size() - pos_);
            if (here == 0) {
                ok_ = false;
                return;
            }
            const quint64 step = std::min(here, bytes);
            pos_ += static_cast<qsizetype>(step);
            bytes -= step;
        }
    }

    QString readCharacters(quint32 count, quint8 options)
    {
        QString text;
        text.reserve(static_cast<qsizetype>(count));
        bool wide = options & kHighByte;
        while (ok_ && count > 0) {
            const QByteArray& body = bodies_[record_];
            const qsizetype avail = body.size() - pos_;
            const quint32 n = static_cast<quint32>(std::min<qsizetype>(count, wide ? avail / 2 : avail));
            for (quint32 i = 0; i < n; ++i) {
                if (wide) {
                    text.append(QChar(char16_t{ReadU16(body, pos_)}));
                    pos_ += 2;
                } else {
                    text.append(QChar(char16_t{static_cast<quint8>(body[pos_])}));
                    pos_ += 1;
                }
            }
            count -= n;
            if (count == 0)
                break;
            if (record_ + 1 >= bodies_.size() || bodies_[record_ + 1].isEmpty()) {
                ok_ = false;
                break;
            }
            ++record_;
            wide = static_cast<quint8>(bodies_[record_][0]) & kHighByte;
            pos_ = 1;
        }
        return text;
    }

private:
    quint8 nextByte()
    {
        settle();
        if (!ok_ || pos_ >= bodies_[record_].size()) {
            ok_ = false;
            return 0;
        }
        return static_cast<quint8>(bodies_[record_][pos_++]);
    }

    const std::vector<QByteArray>& bodies_;
    std::size_t record_ = 0;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

bool NeedsWideStorage(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x100; });
}

} // namespace

SharedStrings::SharedStrings() : bodies_{QByteArray(8, '\0')} {}

std::optional<SharedStrings> SharedStrings::Parse(const std::vector<BiffRecord>& records, std::size_t first,
                                                  std::size_t* consumed, QString* error)
{
    auto fail = [error](const char* text) {
        if (error)
            *error = QString::fromUtf8(text);
        return std::nullopt;
    };
    SharedStrings table;
    table.bodies_.clear();
    std::size_t end = first + 1;
    table.bodies_.push_back(records[first].data);
    while (end < records.size() && records[end].id == rec::kContinue)
        table.bodies_.push_back(records[end++].data);
    if (consumed)
        *consumed = end - first;
    if (table.bodies_[0].size() < 8)
        return fail("共享字符串表太短");

    table.total_ = ReadU32(table.bodies_[0], 0);
    const quint32 unique = ReadU32(table.bodies_[0], 4);
    TableCursor cursor(table.bodies_);
    cursor.skipPlain(8);
    for (quint32 i = 0; i < unique; ++i) {
        cursor.settle();
        const Start start{cursor.record(), cursor.offset()};
        const quint32 length = cursor.readPlain(2);
        const quint8 options = static_cast<quint8>(cursor.readPlain(1));
        const quint32 runs = (options & kRichString) ? cursor.readPlain(2) : 0;
        const quint32 phonetic = (options & kExtString) ? cursor.readPlain(4) : 0;
        QString text = cursor.readCharacters(length, options);
        cursor.skipPlain(quint64{runs} * 4 + phonetic);
        if (!cursor.ok())
            return fail("共享字符串表中的字符串超出了记录的末尾");
        if (runs == 0 && phonetic == 0 && !table.plain_.contains(text))
            table.plain_.insert(text, i);
        table.starts_.push_back(start);
        table.texts_.push_back(std::move(text));
    }
    // Whatever follows the last counted string is dropped, so new strings come right after it.
    table.bodies_.resize(cursor.record() + 1);
    table.bodies_.back().truncate(cursor.offset());
    return table;
}

quint32 SharedStrings::intern(const QString& text)
{
    const auto found = plain_.constFind(text);
    if (found != plain_.cend())
        return *found;
    const quint32 index = uniqueCount();
    append(text);
    plain_.insert(text, index);
    return index;
}

void SharedStrings::append(const QString& text)
{
    const bool wide = NeedsWideStorage(text);
    const qsizetype unitBytes = wide ? 2 : 1;
    const qsizetype length = text.size();
    const qsizetype firstUnits = length == 0 ? 0 : (length > 1 && text[0].isHighSurrogate() ? 2 : 1);
    // The string header and its first character always share a record.
    if (room() < 3 + firstUnits * unitBytes)
        bodies_.emplace_back();
    starts_.push_back(Start{static_cast<quint32>(bodies_.size() - 1), static_cast<quint32>(bodies_.back().size())});
    texts_.push_back(text);

    QByteArray* body = &bodies_.back();
    PutU16(*body, static_cast<quint32>(length));
    PutU8(*body, wide ? kHighByte : 0);
    qsizetype done = 0;
    while (true) {
        qsizetype n = std::min(length - done, room() / unitBytes);
        if (n > 0 && done + n < length && text[done + n - 1].isHighSurrogate())
            --n;
        const qsizetype at = body->size();
        body->resize(at + n * unitBytes);
        char* out = body->data() + at;
        for (qsizetype i = done; i < done + n; ++i) {
            const char16_t unit = text[i].unicode();
            *out++ = static_cast<char>(unit & 0xff);
            if (wide)
                *out++ = static_cast<char>(unit >> 8);
        }
        done += n;
        if (done == length)
            break;
        body = &bodies_.emplace_back();
        PutU8(*body, wide ? kHighByte : 0);
    }
}

std::vector<BiffRecord> SharedStrings::records() const
{
    std::vector<BiffRecord> out;
    out.reserve(bodies_.size());
    for (std::size_t i = 0; i < bodies_.size(); ++i)
        out.push_back(BiffRecord{i == 0 ? rec::kSst : rec::kContinue, bodies_[i]});
    SetU32(out[0].data, 0, total_);
    SetU32(out[0].data, 4, uniqueCount());
    return out;
}

BiffRecord SharedStrings::extSst(const std::vector<qint64>& groupOffsets) const
{
    // Buckets of at least 8 strings, at most 128 buckets (as Excel writes them).
    const quint32 count = uniqueCount();
    const quint32 perBucket = std::max<quint32>(8, (count + 127) / 128);
    QByteArray data;
    PutU16(data, perBucket);
    for (quint32 k = 0; k < count; k += perBucket) {
        const Start& s = starts_[k];
        PutU32(data, static_cast<quint32>(groupOffsets[s.record] + 4 + s.offset));
        PutU16(data, 4 + s.offset);
        PutU16(data, 0);
    }
    return BiffRecord{rec::kExtSst, data};
}

QString SharedStrings::text(quint32 index) const
{
    return index < texts_.size() ? texts_[index] : QString();
}

} // namespace jotrak::xls
