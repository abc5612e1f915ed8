#pragma once

#include "export/biff_records.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace jotrak::xls {

// The shared string table (SST) of a workbook. Strings already in the table
// keep their bytes (rich-text runs and phonetic data included); new strings go
// after them. Bodies never grow past 8224 bytes: a string that does not fit
// goes on in a CONTINUE record that starts with its own option byte, and no
// character (nor surrogate pair) is cut in two.
class SharedStrings {
public:
    // An empty table.
    SharedStrings();

    // Reads the SST record at records[first] and the CONTINUE records right
    // after it. *consumed receives how many records belong to the table.
    // Malformed data (a string past the end, a bad count) gives nothing.
    static std::optional<SharedStrings> Parse(const std::vector<BiffRecord>& records, std::size_t first,
                                              std::size_t* consumed, QString* error);

    quint32 uniqueCount() const { return static_cast<quint32>(starts_.size()); }

    // The index of text, appending it when the table holds no plain string equal to it.
    quint32 intern(const QString& text);
    // Room for count more strings without rehashing.
    void reserve(qsizetype count) { plain_.reserve(plain_.size() + count); }
    // Counts cells that refer to the table (the SST's total count).
    void addReferences(quint32 count) { total_ += count; }

    // The SST record followed by its CONTINUE records, counts filled in.
    std::vector<BiffRecord> records() const;
    // The EXTSST record for the records() group, given the stream position of
    // each record of that group.
    BiffRecord extSst(const std::vector<qint64>& groupOffsets) const;

    // Text of string i (without formatting); for checks and tests.
    QString text(quint32 index) const;

private:
    struct Start {
        quint32 record; // index into bodies_
        quint32 offset; // byte offset inside that body
    };

    void append(const QString& text);
    qsizetype room() const { return kMaxRecordData - bodies_.back().size(); }

    std::vector<QByteArray> bodies_; // SST body (counts first), then CONTINUE bodies
    std::vector<Start> starts_;
    std::vector<QString> texts_;
    QHash<QString, quint32> plain_;
    quint32 total_ = 0;
};

} // namespace jotrak::xls
