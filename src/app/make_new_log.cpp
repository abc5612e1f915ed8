// Build step: the log a first start copies (new_log.h), created by the data
// layer itself, written as a C++ source holding the file's bytes.

#include "data/database_error.h"
#include "data/record_access.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The bytes as they are, not compressed: read in place from the program's
// mapped file, they cost a first start less than unpacking them would.
QByteArray SourceHolding(const QByteArray& file)
{
    QByteArray source = "// Written by make_new_log at build time.\n"
                        "#include \"app/new_log.h\"\n\n"
                        "namespace {\n\n"
                        "const char kFile[] =";
    for (qsizetype i = 0; i < file.size(); ++i) {
        if (i % 32 == 0)
            source += i == 0 ? "\n    \"" : "\"\n    \"";
        // three octal digits: an escape that cannot run into the next byte
        source += '\\' + QByteArray::number(static_cast<unsigned char>(file[i]), 8).rightJustified(3, '0');
    }
    source += "\";\n\n"
              "} // namespace\n\n"
              "QByteArray jotrak::NewLogFile()\n"
              "{\n"
              "    return QByteArray::fromRawData(kFile, static_cast<qsizetype>(sizeof kFile) - 1);\n"
              "}\n";
    return source;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output .cpp>\n", argv[0]);
        return 2;
    }
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    try {
        jotrak::ConnectionHolder log;
        jotrak::OpenDatabase(log, path);
    } catch (const jotrak::DatabaseError& error) {
        std::fprintf(stderr, "cannot create a new log: %s\n", error.what());
        return 1;
    }
    QFile made(path);
    const QByteArray bytes = made.open(QIODevice::ReadOnly) ? made.readAll() : QByteArray();
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    const QByteArray source = SourceHolding(bytes);
    if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(source) != source.size() || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
