#include "sync/change_file.h"

#include "data/schema.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace jotrak {

namespace {

constexpr char kMagic[] = "JOTRAK-SYNC\n";
constexpr int kMagicSize = sizeof(kMagic) - 1;
constexpr quint32 kFormat = 1;
constexpr int kDigestSize = 32;

QJsonValue ToJson(const Value& value)
{
    if (value.isNull())
        return QJsonValue::Null;
    if (value.isInteger())
        return QJsonValue(value.toInteger());
    return QJsonValue(value.toText());
}

Value FromJson(const QJsonValue& json)
{
    if (json.isDouble())
        return Value(static_cast<qint64>(json.toDouble()));
    if (json.isString())
        return Value(json.toString());
    return Value::Null();
}

void AppendNumber(QByteArray& out, quint32 n)
{
    char bytes[4];
    qToBigEndian(n, bytes);
    out.append(bytes, 4);
}

// Reads four bytes at *at; false when the bytes run out.
bool ReadNumber(const QByteArray& in, qsizetype* at, quint32* n)
{
    if (*at + 4 > in.size())
        return false;
    *n = qFromBigEndian<quint32>(in.constData() + *at);
    *at += 4;
    return true;
}

QJsonObject Meta(const ChangeFile& file)
{
    QJsonObject seen;
    for (const auto& [device, seq] : file.seen)
        seen[device] = seq;
    QJsonObject columns;
    for (const auto& [table, names] : file.columns)
        columns[table] = QJsonArray::fromStringList(names);
    QJsonObject goalKeys;
    for (const auto& [table, keys] : file.goalKeys) {
        QJsonObject byId;
        for (const auto& [id, key] : keys)
            byId[QString::number(id)] = key;
        goalKeys[table] = byId;
    }
    QJsonObject rows;
    for (const auto& [table, byId] : file.rows) {
        QJsonObject tableRows;
        for (const auto& [id, values] : byId) {
            QJsonObject row;
            for (const auto& [column, value] : values)
                row[column] = ToJson(value);
            tableRows[QString::number(id)] = row;
        }
        rows[table] = tableRows;
    }
    QJsonObject stamps;
    for (const auto& [table, byKey] : file.stamps) {
        QJsonObject tableStamps;
        for (const auto& [key, stamp] : byKey)
            tableStamps[key] = QJsonArray{stamp.at, stamp.device};
        stamps[table] = tableStamps;
    }
    return {
        {QStringLiteral("kind"), file.kind == ChangeFile::Kind::Snapshot ? "snapshot" : "changes"},
        {QStringLiteral("device"), file.device},
        {QStringLiteral("deviceName"), file.deviceName},
        {QStringLiteral("seq"), file.seq},
        {QStringLiteral("time"), file.time},
        {QStringLiteral("captureId"), file.captureId},
        {QStringLiteral("schema"), file.schema},
        {QStringLiteral("seen"), seen},
        {QStringLiteral("columns"), columns},
        {QStringLiteral("goalKeys"), goalKeys},
        {QStringLiteral("rows"), rows},
        {QStringLiteral("stamps"), stamps},
    };
}

void ReadMeta(const QJsonObject& meta, ChangeFile& file)
{
    file.kind = meta.value(QStringLiteral("kind")).toString() == QStringLiteral("snapshot") ? ChangeFile::Kind::Snapshot
                                                                                            : ChangeFile::Kind::Changes;
    file.device = meta.value(QStringLiteral("device")).toString();
    file.deviceName = meta.value(QStringLiteral("deviceName")).toString();
    file.seq = meta.value(QStringLiteral("seq")).toInteger();
    file.time = meta.value(QStringLiteral("time")).toInteger();
    file.captureId = meta.value(QStringLiteral("captureId")).toString();
    file.schema = meta.value(QStringLiteral("schema")).toInt();
    const QJsonObject seen = meta.value(QStringLiteral("seen")).toObject();
    for (auto it = seen.begin(); it != seen.end(); ++it)
        file.seen[it.key()] = it.value().toInteger();
    const QJsonObject columns = meta.value(QStringLiteral("columns")).toObject();
    for (auto it = columns.begin(); it != columns.end(); ++it)
        for (const QJsonValue& name : it.value().toArray())
            file.columns[it.key()] << name.toString();
    const QJsonObject goalKeys = meta.value(QStringLiteral("goalKeys")).toObject();
    for (auto t = goalKeys.begin(); t != goalKeys.end(); ++t) {
        const QJsonObject byId = t.value().toObject();
        for (auto it = byId.begin(); it != byId.end(); ++it)
            file.goalKeys[t.key()][it.key().toLongLong()] = it.value().toString();
    }
    const QJsonObject rows = meta.value(QStringLiteral("rows")).toObject();
    for (auto t = rows.begin(); t != rows.end(); ++t) {
        const QJsonObject byId = t.value().toObject();
        for (auto it = byId.begin(); it != byId.end(); ++it) {
            RowValues& values = file.rows[t.key()][it.key().toLongLong()];
            const QJsonObject row = it.value().toObject();
            for (auto c = row.begin(); c != row.end(); ++c)
                values[c.key()] = FromJson(c.value());
        }
    }
    const QJsonObject stamps = meta.value(QStringLiteral("stamps")).toObject();
    for (auto t = stamps.begin(); t != stamps.end(); ++t) {
        const QJsonObject byKey = t.value().toObject();
        for (auto it = byKey.begin(); it != byKey.end(); ++it) {
            const QJsonArray pair = it.value().toArray();
            file.stamps[t.key()][it.key()] = RowStamp{pair.at(0).toInteger(), pair.at(1).toString()};
        }
    }
}

} // namespace

QByteArray EncodeChangeFile(const ChangeFile& file)
{
    QByteArray out(kMagic, kMagicSize);
    AppendNumber(out, kFormat);
    const QByteArray meta = QJsonDocument(Meta(file)).toJson(QJsonDocument::Compact);
    AppendNumber(out, static_cast<quint32>(meta.size()));
    out += meta;
    AppendNumber(out, static_cast<quint32>(file.changeset.size()));
    out += file.changeset;
    out += QCryptographicHash::hash(out, QCryptographicHash::Sha256);
    return out;
}

ChangeFileReading DecodeChangeFile(const QByteArray& bytes)
{
    const auto damaged = [](const QString& why) { return ChangeFileReading{std::nullopt, why, false}; };
    if (!bytes.startsWith(QByteArray(kMagic, kMagicSize)))
        return damaged(QString::fromUtf8("不是 Jotrak 的同步文件"));
    qsizetype at = kMagicSize;
    quint32 format = 0;
    if (!ReadNumber(bytes, &at, &format))
        return damaged(QString::fromUtf8("文件不完整(可能还在复制中)"));
    if (format > kFormat)
        return {std::nullopt, QString::fromUtf8("文件由更新版本的 Jotrak 写出,请更新本程序"), true};
    if (bytes.size() < at + kDigestSize ||
        QCryptographicHash::hash(QByteArrayView(bytes).first(bytes.size() - kDigestSize), QCryptographicHash::Sha256) !=
            bytes.right(kDigestSize))
        return damaged(QString::fromUtf8("文件不完整或已损坏(校验和不符)"));
    const qsizetype end = bytes.size() - kDigestSize;
    quint32 metaSize = 0;
    quint32 changesetSize = 0;
    if (!ReadNumber(bytes, &at, &metaSize) || at + metaSize > end)
        return damaged(QString::fromUtf8("文件结构不对"));
    QJsonParseError error{};
    const QJsonDocument meta = QJsonDocument::fromJson(bytes.mid(at, metaSize), &error);
    at += metaSize;
    if (error.error != QJsonParseError::NoError || !meta.isObject() || !ReadNumber(bytes, &at, &changesetSize) ||
        at + changesetSize != end)
        return damaged(QString::fromUtf8("文件结构不对"));
    ChangeFile file;
    ReadMeta(meta.object(), file);
    file.changeset = bytes.mid(at, changesetSize);
    if (file.schema > kSchemaVersion)
        return {std::nullopt,
                QString::fromUtf8("文件由更新版本的 Jotrak 写出(结构版本 %1),请更新本程序").arg(file.schema), true};
    if (file.device.isEmpty())
        return damaged(QString::fromUtf8("文件没有写明来自哪台电脑"));
    return {std::move(file), {}, false};
}

} // namespace jotrak
