#pragma once

#include "data/keys.h"
#include "data/record_access.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace jotrak::exporttest {

// A fresh Jotrak database in a temporary folder, with helpers to add goals and items.
class TestDatabase {
public:
    TestDatabase();
    ConnectionHolder& connection() { return connection_; }
    // A path inside the temporary folder.
    QString path(const QString& name) const { return dir_.filePath(name); }

    int addGoal(Table goalTable, const QString& key, const Value& text = Value::Null());
    int addItem(Table goalTable, int goalId, const Value& content, const Value& note = Value::Null(), int isOk = 0);
    // count items "<prefix><n>" (n from 0) in one transaction; every third one done.
    void addManyItems(Table goalTable, int goalId, int count, const QString& prefix);

private:
    QTemporaryDir dir_;
    ConnectionHolder connection_;
};

// The cells of one sheet as texts: rows x columns, "" for an empty cell.
using SheetCells = std::vector<std::vector<QString>>;

// Reads a sheet with libfreexl (an independent reader). Numbers come back in
// their shortest decimal form. Nothing, with the reason, when freexl refuses the file.
std::optional<SheetCells> ReadSheetWithFreeXl(const QString& path, const QString& sheetName, QString* error = nullptr);

QByteArray ReadFileBytes(const QString& path);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// The delivered template, as the build wrote it.
QByteArray TemplateBytes();

// A Workbook stream wrapped in a compound file.
QByteArray XlsFileWithStream(const QByteArray& workbookStream, const QString& streamName = QStringLiteral("Workbook"));

// Templates as another spreadsheet program might leave them after a user restyled 1.xls:
// - Restyled: a sheet "封面" before Sheet1 and "备注" after it (both with values, the
//   first with INDEX/DBCELL), fonts and formats added, a shared string table that
//   already spans a CONTINUE record (one string split across it) and holds a rich-text
//   title, a stale EXTSST, a number in the title row, INDEX/DBCELL in Sheet1, and
//   blank cells with a bordered format (XF 17) in A3:E7.
QByteArray RestyledTemplateStream();
// - Sheet1 with a value in row 6 (index 5): new rows go below it.
QByteArray TemplateWithValueBelowStream();
// - No shared string table at all and an empty Sheet1.
QByteArray TemplateWithoutStringsStream();
// Formats of the restyled template.
inline constexpr int kRestyledBlankXf = 17;

} // namespace jotrak::exporttest
