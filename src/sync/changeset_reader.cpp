#include "sync/changeset_reader.h"

#include <sqlite3.h>

namespace jotrak {

namespace {

std::optional<Value> ValueOf(sqlite3_value* value)
{
    if (!value)
        return std::nullopt;
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return Value::Null();
    case SQLITE_INTEGER: return Value(static_cast<qint64>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT: { // no column of the log holds one; one out of range reads as 0
        const double real = sqlite3_value_double(value);
        return Value(real > -9.2e18 && real < 9.2e18 ? static_cast<qint64>(real) : qint64{0});
    }
    default:
        return Value(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value)));
    }
}

// SQLite's variable-length integer: 1 to 9 bytes, 7 bits each, the ninth 8.
bool ReadVarint(const QByteArray& bytes, qsizetype* at, quint64* value)
{
    *value = 0;
    for (int i = 0; i < 9; ++i) {
        if (*at >= bytes.size())
            return false;
        const auto byte = static_cast<quint8>(bytes[(*at)++]);
        if (i == 8) {
            *value = (*value << 8) | byte;
            return true;
        }
        *value = (*value << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0)
            return true;
    }
    return true;
}

// One record: a value (or none) for each column.
bool SkipRecord(const QByteArray& bytes, qsizetype* at, quint64 columns)
{
    for (quint64 c = 0; c < columns; ++c) {
        if (*at >= bytes.size())
            return false;
        switch (bytes[(*at)++]) {
        case 0:        // not part of the change
        case 5: break; // NULL
        case 1:
        case 2: *at += 8; break; // integer, real
        case 3:
        case 4: { // text, blob
            quint64 size = 0;
            if (!ReadVarint(bytes, at, &size) || size > static_cast<quint64>(bytes.size()))
                return false;
            *at += static_cast<qsizetype>(size);
            break;
        }
        default: return false;
        }
        if (*at > bytes.size())
            return false;
    }
    return true;
}

// Walks the changeset's layout (table headers, then changes of a known kind,
// each with whole records) before the engine reads it: the engine's own reader
// may loop without end on a changeset damaged in some ways.
bool LaidOutWhole(const QByteArray& bytes)
{
    constexpr quint64 kMostColumns = 64;
    qsizetype at = 0;
    quint64 columns = 0;
    while (at < bytes.size()) {
        const char kind = bytes[at++];
        if (kind == 'T') {
            if (!ReadVarint(bytes, &at, &columns) || columns == 0 || columns > kMostColumns ||
                at + static_cast<qsizetype>(columns) > bytes.size())
                return false;
            at += static_cast<qsizetype>(columns);
            const qsizetype end = bytes.indexOf('\0', at);
            if (end < 0)
                return false;
            at = end + 1;
            continue;
        }
        if (columns == 0 || at >= bytes.size() || static_cast<quint8>(bytes[at++]) > 1) // the indirect flag
            return false;
        const int records = kind == SQLITE_UPDATE ? 2 : kind == SQLITE_INSERT || kind == SQLITE_DELETE ? 1 : 0;
        if (records == 0)
            return false;
        for (int r = 0; r < records; ++r)
            if (!SkipRecord(bytes, &at, columns))
                return false;
    }
    return true;
}

} // namespace

bool ReadChangeset(const QByteArray& changeset, const std::function<void(const ChangeEntry&)>& onChange,
                   QString* problem)
{
    if (!LaidOutWhole(changeset)) {
        *problem = QString::fromUtf8("修改记录的结构不完整");
        return false;
    }
    sqlite3_changeset_iter* iter = nullptr;
    int rc =
        sqlite3changeset_start(&iter, static_cast<int>(changeset.size()), const_cast<char*>(changeset.constData()));
    while (rc == SQLITE_OK && (rc = sqlite3changeset_next(iter)) == SQLITE_ROW) {
        const char* table = nullptr;
        int columns = 0;
        int op = 0;
        int indirect = 0;
        if ((rc = sqlite3changeset_op(iter, &table, &columns, &op, &indirect)) != SQLITE_OK)
            break;
        ChangeEntry entry;
        entry.table = QString::fromUtf8(table);
        entry.op = op == SQLITE_INSERT   ? ChangeEntry::Op::Insert
                   : op == SQLITE_DELETE ? ChangeEntry::Op::Delete
                                         : ChangeEntry::Op::Update;
        for (int c = 0; c < columns; ++c) {
            sqlite3_value* value = nullptr;
            if (entry.op != ChangeEntry::Op::Insert) {
                value = nullptr;
                sqlite3changeset_old(iter, c, &value);
                entry.before.push_back(ValueOf(value));
            }
            if (entry.op != ChangeEntry::Op::Delete) {
                value = nullptr;
                sqlite3changeset_new(iter, c, &value);
                entry.after.push_back(ValueOf(value));
            }
        }
        onChange(entry);
        rc = SQLITE_OK;
    }
    const int finished = iter ? sqlite3changeset_finalize(iter) : SQLITE_OK;
    if (rc == SQLITE_DONE)
        rc = finished;
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        *problem = QString::fromUtf8(sqlite3_errstr(rc));
        return false;
    }
    return true;
}

} // namespace jotrak
