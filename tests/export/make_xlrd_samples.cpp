// Writes the spreadsheet exports and what they must hold (expected.json) into a
// folder, for check_with_xlrd.py to read back with Python's xlrd.

#include "xls_samples.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace jotrak::test;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<std::vector<XlsSample>> samples = WriteXlsSamples(QDir(app.arguments().value(1)));
    QJsonArray cases;
    for (const XlsSample& sample : samples.value_or(std::vector<XlsSample>{})) {
        QJsonObject sheets;
        for (const auto& [name, cells] : sample.sheets) {
            QJsonArray rows;
            for (const auto& row : cells)
                rows.append(QJsonArray::fromStringList(QStringList(row.begin(), row.end())));
            sheets[name] = rows;
        }
        QJsonArray formats;
        for (const auto& [row, column, xf] : sample.formats)
            formats.append(QJsonArray{row, column, xf});
        cases.append(QJsonObject{{"file", sample.file}, {"sheets", sheets}, {"formats", formats}});
    }
    QFile expected(QDir(app.arguments().value(1)).filePath(QStringLiteral("expected.json")));
    return samples && expected.open(QIODevice::WriteOnly) && expected.write(QJsonDocument(cases).toJson()) > 0 ? 0 : 1;
}
