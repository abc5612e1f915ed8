#include "export/biff_records.h"

#include "export/byte_io.h"

namespace jotrak::xls {

namespace {

constexpr int kMaxNesting = 8;

void SetError(QString* error, const char* text)
{
    if (error)
        *error = QString::fromUtf8(text);
}

} // namespace

std::optional<RecordStream> SplitRecords(QByteArrayView stream, QString* error)
{
    RecordStream out;
    ByteReader reader(stream);
    int level = 0;
    while (reader.remaining() > 0) {
        if (level == 0) {
            // Between substreams only a BOF may follow; anything else is padding.
            if (reader.remaining() < 4 || ReadU16(stream, reader.position()) != rec::kBof)
                break;
        }
        const qint64 offset = reader.position();
        const quint16 id = reader.u16();
        const quint16 size = reader.u16();
        const QByteArrayView body = reader.take(size);
        if (!reader.ok()) {
            SetError(error, "工作簿数据在记录中间中断(文件被截断)");
            return std::nullopt;
        }
        if (out.records.empty() && id != rec::kBof) {
            SetError(error, "工作簿数据不以 BOF 记录开头");
            return std::nullopt;
        }
        if (id == rec::kBof && ++level > kMaxNesting) {
            SetError(error, "工作簿的子数据流嵌套过深");
            return std::nullopt;
        }
        out.records.push_back(BiffRecord{id, body.toByteArray()});
        out.offsets.push_back(offset);
        out.levels.push_back(static_cast<quint8>(level));
        if (id == rec::kEof)
            --level;
        if (level < 0) {
            SetError(error, "工作簿中有多余的 EOF 记录");
            return std::nullopt;
        }
    }
    if (out.records.empty()) {
        SetError(error, "工作簿数据为空");
        return std::nullopt;
    }
    if (level != 0) {
        SetError(error, "工作簿数据缺少 EOF 记录(文件被截断)");
        return std::nullopt;
    }
    return out;
}

qint64 JoinedSize(const std::vector<BiffRecord>& records)
{
    qint64 size = 0;
    for (const BiffRecord& r : records)
        size += 4 + r.data.size();
    return size;
}

QByteArray JoinRecords(const std::vector<BiffRecord>& records, std::vector<qint64>* offsets)
{
    QByteArray out;
    out.reserve(JoinedSize(records));
    if (offsets) {
        offsets->clear();
        offsets->reserve(records.size());
    }
    for (const BiffRecord& r : records) {
        if (offsets)
            offsets->push_back(out.size());
        PutU16(out, r.id);
        PutU16(out, static_cast<quint32>(r.data.size()));
        out.append(r.data);
    }
    return out;
}

} // namespace jotrak::xls
