#include "launcher/launcher_table.h"

#include "data/record_access.h"

namespace jotrak {

namespace {

const QString kName = QStringLiteral("ming");
const QString kPath = QStringLiteral("wj");

// A recordset over one statement, released on every path.
class OpenedRecordset {
public:
    OpenedRecordset(ConnectionHolder& connection, const Statement& statement)
    {
        CreateRecordset(rs);
        OpenRecordset(rs, statement, connection);
    }
    ~OpenedRecordset() { CloseRecordset(rs); }
    OpenedRecordset(const OpenedRecordset&) = delete;
    OpenedRecordset& operator=(const OpenedRecordset&) = delete;

    RecordsetHolder rs;
};

QString TextOf(RecordsetHolder& rs, const QString& column)
{
    return TextFromValue(GetFieldValue(rs, column));
}

} // namespace

LauncherCaptions ReadLauncherTable(ConnectionHolder& connection, std::array<LauncherButton, kLauncherButtons>& entries)
{
    OpenedRecordset an(connection, stmt::SelectLaunchers());
    LauncherCaptions captions;
    int k = 0;
    for (; k < kLauncherButtons && !IsAtEnd(an.rs); ++k, MoveToNext(an.rs)) {
        const QString name = TextOf(an.rs, kName);
        if (name == EmptyButtonName) {
            entries[k].bound = false;
            continue;
        }
        entries[k].bound = true;
        entries[k].path = TextOf(an.rs, kPath);
        captions[k] = name;
    }
    for (; k < kLauncherButtons; ++k)
        entries[k].bound = false;
    return captions;
}

QStringList LauncherListLines(ConnectionHolder& connection)
{
    OpenedRecordset an(connection, stmt::SelectLaunchers());
    QStringList lines;
    for (int n = 1; n <= kLauncherButtons && !IsAtEnd(an.rs); ++n, MoveToNext(an.rs)) {
        const QString name = TextOf(an.rs, kName);
        lines.append(name == EmptyButtonName ? QString::number(n) : name);
    }
    return lines;
}

std::optional<LauncherRow> ReadLauncherRow(ConnectionHolder& connection, int buttonNumber)
{
    OpenedRecordset an(connection, stmt::LauncherById(buttonNumber));
    if (IsAtEnd(an.rs))
        return std::nullopt;
    return LauncherRow{TextOf(an.rs, kName), TextOf(an.rs, kPath)};
}

bool StoreLauncherRow(ConnectionHolder& connection, int buttonNumber, const LauncherRow& row)
{
    OpenedRecordset an(connection, stmt::LauncherById(buttonNumber));
    if (IsAtEnd(an.rs))
        return false;
    SetFieldValue(an.rs, kName, row.name);
    SetFieldValue(an.rs, kPath, row.path);
    StoreRow(an.rs);
    return true;
}

} // namespace jotrak
