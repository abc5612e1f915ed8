#include "export/text_export.h"

#include "data/database_error.h"
#include "export/export_file.h"
#include "data/goal_store.h"

#include <QStringEncoder>

namespace jotrak {

namespace {

const QString kSeparator = QString(64, u'*');
const QString kLineEnd = QStringLiteral("\r\n");

bool IsGoalTable(Table table)
{
    return table == Table::Nian || table == Table::Yue || table == Table::Ri;
}

// LF becomes CR LF unless a CR already stands before it.
void AppendWithCrLf(QString& out, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out.append(u'\r');
        out.append(text[i]);
    }
}

ExportResult GoalsText(ConnectionHolder& connection, Table goalTable, const QString& fromKey, const QString& toKey,
                       QByteArray* bytes)
{
    if (!IsGoalTable(goalTable))
        return ExportResult::Failure(QString::fromUtf8("只能导出年、月、日的目标。"));
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        return ExportResult::Failure(QString::fromUtf8("系统缺少 GB18030 编码,无法导出文本文件。"));
    QString text;
    try {
        for (const Goal& goal : GoalsBetween(connection, goalTable, fromKey, toKey)) {
            text += kSeparator + kLineEnd;
            AppendWithCrLf(text, goal.key);
            text += kLineEnd;
            AppendWithCrLf(text, goal.text);
            text += kLineEnd;
        }
    } catch (const DatabaseError& error) {
        return ExportResult::Failure(QString::fromUtf8("读取目标时数据库出错:%1").arg(error.message()), {},
                                     error.details());
    }
    text += kSeparator + kLineEnd;
    *bytes = encoder.encode(text);
    return ExportResult::Success();
}

} // namespace

ExportResult ExportGoalsAsText(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                               const QString& toKey, QIODevice& out)
{
    QByteArray bytes;
    ExportResult result = GoalsText(connection, goalTable, fromKey, toKey, &bytes);
    return result ? WriteExportBytes(bytes, out) : result;
}

ExportResult ExportGoalsAsText(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                               const QString& toKey, const QString& fileName)
{
    QByteArray bytes;
    ExportResult result = GoalsText(connection, goalTable, fromKey, toKey, &bytes);
    return result ? ReplaceFileWith(fileName, bytes) : result;
}

} // namespace jotrak
