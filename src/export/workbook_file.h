#pragma once

#include "export/biff_workbook.h"
#include "export/compound_file.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace jotrak::xls {

// An .xls file read for appending rows to its Sheet1: the compound file with all
// its streams, and the parsed Workbook stream.
class WorkbookFile {
public:
    // Reads the bytes of an .xls file. Nothing, with a reason in *error, when the
    // file is not a compound file, has no BIFF8 "Workbook" stream (an Excel 5
    // "Book" stream is not taken), or its workbook is refused by Workbook::Parse.
    static std::optional<WorkbookFile> FromBytes(QByteArray fileBytes, QString* error = nullptr);

    const QByteArray& fileBytes() const { return bytes_; }
    const Workbook& workbook() const { return workbook_; }

    // The file with rows added to Sheet1; every other stream is copied unchanged.
    std::optional<QByteArray> withRows(const std::vector<SheetRow>& rows, QString* error = nullptr) const;

private:
    WorkbookFile(QByteArray bytes, CompoundEntry root, Workbook workbook)
        : bytes_(std::move(bytes)), root_(std::move(root)), workbook_(std::move(workbook))
    {
    }

    QByteArray bytes_;
    CompoundEntry root_;
    Workbook workbook_;
};

// Reads the .xls file at path (see WorkbookFile::FromBytes).
std::optional<WorkbookFile> OpenWorkbook(const QString& path, QString* error = nullptr);

} // namespace jotrak::xls
