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
    case SQLITE_FLOAT: return Value(static_cast<qint64>(sqlite3_value_double(value)));
    default:
        return Value(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value)));
    }
}

} // namespace

bool ReadChangeset(const QByteArray& changeset, const std::function<void(const ChangeEntry&)>& onChange,
                   QString* problem)
{
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
