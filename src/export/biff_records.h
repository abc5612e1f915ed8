#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The record level of an Excel 97-2003 (BIFF8) Workbook stream.
namespace jotrak::xls {

namespace rec {
inline constexpr quint16 kBof = 0x0809;
inline constexpr quint16 kEof = 0x000A;
inline constexpr quint16 kFilePass = 0x002F;
inline constexpr quint16 kBoundSheet = 0x0085;
inline constexpr quint16 kSst = 0x00FC;
inline constexpr quint16 kExtSst = 0x00FF;
inline constexpr quint16 kContinue = 0x003C;
inline constexpr quint16 kCodePage = 0x0042;
inline constexpr quint16 kFont = 0x0031;
inline constexpr quint16 kXf = 0x00E0;
inline constexpr quint16 kStyle = 0x0293;
inline constexpr quint16 kWindow1 = 0x003D;
inline constexpr quint16 kWindow2 = 0x023E;
inline constexpr quint16 kDimensions = 0x0200;
inline constexpr quint16 kRow = 0x0208;
inline constexpr quint16 kIndex = 0x020B;
inline constexpr quint16 kDbCell = 0x00D7;
inline constexpr quint16 kColInfo = 0x007D;
inline constexpr quint16 kDefaultRowHeight = 0x0225;
inline constexpr quint16 kLabelSst = 0x00FD;
inline constexpr quint16 kLabel = 0x0204;
inline constexpr quint16 kRString = 0x00D6;
inline constexpr quint16 kBlank = 0x0201;
inline constexpr quint16 kMulBlank = 0x00BE;
inline constexpr quint16 kNumber = 0x0203;
inline constexpr quint16 kRk = 0x027E;
inline constexpr quint16 kMulRk = 0x00BD;
inline constexpr quint16 kBoolErr = 0x0205;
inline constexpr quint16 kFormula = 0x0006;
inline constexpr quint16 kString = 0x0207;
inline constexpr quint16 kArray = 0x0221;
inline constexpr quint16 kShrFmla = 0x04BC;
inline constexpr quint16 kTable = 0x0236;
inline constexpr quint16 kMergedCells = 0x00E5;
} // namespace rec

// BOF substream types and the BIFF8 version word.
inline constexpr quint16 kBiff8Version = 0x0600;
inline constexpr quint16 kGlobalsSubstream = 0x0005;
inline constexpr quint16 kWorksheetSubstream = 0x0010;

// Largest record body Excel writes and reads.
inline constexpr int kMaxRecordData = 8224;

struct BiffRecord {
    quint16 id = 0;
    QByteArray data;
};

// A Workbook stream cut into its records.
struct RecordStream {
    std::vector<BiffRecord> records;
    std::vector<qint64> offsets; // stream position of each record's header
    std::vector<quint8> levels;  // substream nesting: 1 for the records of a top-level substream
};

// Cuts a Workbook stream into records, following BOF/EOF nesting. Reading ends
// after a closing EOF when no further BOF follows (Excel pads the stream).
// Returns nothing, with a reason in *error, for a stream that does not start with
// a BOF, ends inside a record or a substream, or nests absurdly deep.
std::optional<RecordStream> SplitRecords(QByteArrayView stream, QString* error);

// Writes records back to back; *offsets receives each record's stream position.
QByteArray JoinRecords(const std::vector<BiffRecord>& records, std::vector<qint64>* offsets = nullptr);

// Size of the stream JoinRecords would write.
qint64 JoinedSize(const std::vector<BiffRecord>& records);

} // namespace jotrak::xls
