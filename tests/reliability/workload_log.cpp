#include "workload_log.h"

#include "data/record_access.h"

#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

namespace jotrak::reliability {

namespace {

constexpr Table kTables[] = {Table::Nian,    Table::Yue,    Table::Ri, Table::NianNext,
                             Table::YueNext, Table::RiNext, Table::An, Table::Tx};

QByteArray EncodeValue(const Value& v)
{
    if (v.isNull())
        return "N";
    if (v.isInteger())
        return "I" + QByteArray::number(v.toInteger());
    return "T" + v.toText().toUtf8().toHex();
}

std::optional<Value> DecodeValue(const QByteArray& field)
{
    if (field == "N")
        return Value::Null();
    if (field.startsWith('I')) {
        bool ok = false;
        const qint64 n = field.mid(1).toLongLong(&ok);
        return ok ? std::optional<Value>(Value(n)) : std::nullopt;
    }
    if (field.startsWith('T'))
        return Value(QString::fromUtf8(QByteArray::fromHex(field.mid(1))));
    return std::nullopt;
}

std::optional<Change> DecodeChange(const QList<QByteArray>& fields)
{
    // B seq put|del table id values...
    if (fields.size() < 5)
        return std::nullopt;
    Change change;
    change.remove = fields[2] == "del";
    const std::optional<Table> table = [&]() -> std::optional<Table> {
        for (Table t : kTables)
            if (TableName(t).toUtf8() == fields[3])
                return t;
        return std::nullopt;
    }();
    bool ok = false;
    change.id = fields[4].toLongLong(&ok);
    if (!table || !ok || (!change.remove && fields[2] != "put"))
        return std::nullopt;
    change.table = *table;
    if (change.remove)
        return fields.size() == 5 ? std::optional<Change>(change) : std::nullopt;
    for (qsizetype i = 5; i < fields.size(); ++i) {
        const std::optional<Value> v = DecodeValue(fields[i]);
        if (!v)
            return std::nullopt;
        change.row.push_back(*v);
    }
    if (change.row.size() != static_cast<std::size_t>(Columns(change.table).size()))
        return std::nullopt;
    return change;
}

QString Describe(const Value& v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    const QString text = v.isInteger() ? QString::number(v.toInteger()) : u'"' + v.toText() + u'"';
    return text.size() > 60 ? text.left(57) + QStringLiteral("...") : text;
}

QString DescribeRow(const Row& row)
{
    QStringList parts;
    for (const Value& v : row)
        parts << Describe(v);
    return u'(' + parts.join(QStringLiteral(", ")) + u')';
}

Comparison Compare(const DatabaseState& actual, const DatabaseState& expected)
{
    Comparison result;
    auto note = [&result](const QString& text) {
        if (result.differingRows++ == 0)
            result.firstDifference = text;
    };
    static const std::map<qint64, Row> kEmpty;
    for (Table table : kTables) {
        const auto a = actual.find(table);
        const auto e = expected.find(table);
        const auto& rowsA = a == actual.end() ? kEmpty : a->second;
        const auto& rowsE = e == expected.end() ? kEmpty : e->second;
        for (const auto& [id, row] : rowsE) {
            const auto found = rowsA.find(id);
            if (found == rowsA.end())
                note(QStringLiteral("%1 IDME %2 is missing; expected %3")
                         .arg(TableName(table))
                         .arg(id)
                         .arg(DescribeRow(row)));
            else if (found->second != row)
                note(QStringLiteral("%1 IDME %2 holds %3; expected %4")
                         .arg(TableName(table))
                         .arg(id)
                         .arg(DescribeRow(found->second), DescribeRow(row)));
        }
        for (const auto& [id, row] : rowsA)
            if (!rowsE.count(id))
                note(QStringLiteral("%1 IDME %2 %3 should not exist")
                         .arg(TableName(table))
                         .arg(id)
                         .arg(DescribeRow(row)));
    }
    return result;
}

} // namespace

const QStringList& Columns(Table table)
{
    static const QStringList goal{QStringLiteral("ming"), QStringLiteral("nr")};
    static const QStringList item{QStringLiteral("ShangId"), QStringLiteral("nr"), QStringLiteral("wcqk"),
                                  QStringLiteral("IsOk")};
    static const QStringList launcher{QStringLiteral("ming"), QStringLiteral("wj")};
    static const QStringList scheme{QStringLiteral("ming"), QStringLiteral("nr"), QStringLiteral("shijian"),
                                    QStringLiteral("lifa")};
    switch (table) {
    case Table::Nian:
    case Table::Yue:
    case Table::Ri: return goal;
    case Table::NianNext:
    case Table::YueNext:
    case Table::RiNext: return item;
    case Table::An: return launcher;
    case Table::Tx: return scheme;
    }
    return goal;
}

DatabaseState ReadState(ConnectionHolder& connection)
{
    DatabaseState state;
    for (Table table : kTables) {
        auto& rows = state[table];
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectAll(table), connection);
        for (; !IsAtEnd(rs); MoveToNext(rs)) {
            Row row;
            for (const QString& column : Columns(table))
                row.push_back(GetFieldValue(rs, column));
            rows.emplace(GetFieldValue(rs, QStringLiteral("IDME")).toInteger(), std::move(row));
        }
    }
    return state;
}

SideLog::SideLog(const QString& path)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

SideLog::~SideLog()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void SideLog::write(const QByteArray& line)
{
    const QByteArray whole = line + '\n';
    qsizetype written = 0;
    while (written < whole.size()) {
        const ssize_t n = ::write(fd_, whole.constData() + written, static_cast<size_t>(whole.size() - written));
        if (n <= 0)
            qFatal("side log: write failed");
        written += n;
    }
    if (::fsync(fd_) != 0)
        qFatal("side log: fsync failed");
}

qint64 SideLog::begin(const Change& change)
{
    const qint64 seq = next_++;
    QByteArray line = "B\t" + QByteArray::number(seq) + (change.remove ? "\tdel\t" : "\tput\t") +
                      TableName(change.table).toUtf8() + '\t' + QByteArray::number(change.id);
    if (!change.remove)
        for (const Value& v : change.row)
            line += '\t' + EncodeValue(v);
    write(line);
    return seq;
}

void SideLog::done(qint64 seq, qint64 id)
{
    write("D\t" + QByteArray::number(seq) + '\t' + QByteArray::number(id));
}

LogReading ReadLog(const QString& path)
{
    LogReading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return reading;
    QByteArray bytes = file.readAll();
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
        reading.cutLine = true;
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    }
    std::map<qint64, Change> begun;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        ++reading.wholeLines;
        const QList<QByteArray> fields = line.split('\t');
        bool ok = false;
        const qint64 seq = fields.size() > 1 ? fields[1].toLongLong(&ok) : 0;
        if (ok && fields[0] == "B") {
            if (const std::optional<Change> change = DecodeChange(fields)) {
                begun[seq] = *change;
                continue;
            }
        } else if (ok && fields[0] == "D" && fields.size() == 3 && begun.count(seq)) {
            Change change = begun[seq];
            begun.erase(seq);
            bool idOk = false;
            change.id = fields[2].toLongLong(&idOk);
            if (idOk) {
                reading.stored.push_back(change);
                continue;
            }
        }
        reading.malformed << QString::fromUtf8(line.left(120));
    }
    // A worker finishes each change before it begins the next, so only the
    // last change of a run can lack its D line.
    if (begun.size() > 1)
        reading.malformed << QStringLiteral("%1 changes begun and never finished").arg(begun.size());
    if (!begun.empty())
        reading.pending = begun.rbegin()->second;
    return reading;
}

void Apply(DatabaseState& state, const Change& change)
{
    auto& rows = state[change.table];
    if (change.remove)
        rows.erase(change.id);
    else
        rows[change.id] = change.row;
}

Comparison CompareWithLog(const DatabaseState& actual, const DatabaseState& expected,
                          const std::optional<Change>& pending)
{
    const Comparison plain = Compare(actual, expected);
    if (plain.matches() || !pending)
        return plain;
    Change change = *pending;
    if (!change.remove && change.id < 0) {
        // a new row: whatever IDME the store gave it, it must be one not in use before
        static const std::map<qint64, Row> kEmpty;
        const auto a = actual.find(change.table);
        const auto e = expected.find(change.table);
        const auto& rowsE = e == expected.end() ? kEmpty : e->second;
        if (a != actual.end())
            for (const auto& [id, row] : a->second)
                if (!rowsE.count(id) && row == change.row)
                    change.id = id;
    }
    if (change.id < 0)
        return plain;
    DatabaseState withPending = expected;
    Apply(withPending, change);
    const Comparison applied = Compare(actual, withPending);
    return applied.differingRows < plain.differingRows ? applied : plain;
}

QString SampleText(quint32 random)
{
    static const QStringList pieces = {
        QString::fromUtf8("写周报"),        QStringLiteral("it's done"),
        QStringLiteral("\"quoted\""),       QString::fromUtf8("第一行\r\n第二行"),
        QString::fromUtf8("😀 𠀀 €"),        QStringLiteral("; DROP TABLE RiNext; --"),
        QString::fromUtf8("完成情况:良好"), QString(),
    };
    QString text = pieces[static_cast<qsizetype>(random % pieces.size())] + QString::number(random >> 8);
    if (random % 23 == 0)
        text += QString(20000 + static_cast<int>(random % 5000), QChar(u'长'));
    return text;
}

} // namespace jotrak::reliability
