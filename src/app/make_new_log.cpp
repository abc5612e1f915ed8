// Build step: the log a first start copies (new_log.h), created by the data
// layer itself, written as a C++ source holding the file's compressed bytes.

#include "data/database_error.h"
#include "data/record_access.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray SourceHolding(const QByteArray& packed)
{
    QByteArray source = "// Written by make_new_log at build time.\n"
                        "#include \"app/new_log.h\"\n\n"
                        "namespace {\n\n"
                        "const unsigned char kPacked[] = {";
    for (qsizetype i = 0; i < packed.size(); ++i) {
        source += i % 20 == 0 ? "\n    " : " ";
        source += QByteArray::number(static_cast<unsigned char>(packed[i])) + ',';
    }
    source += "\n};\n\n"
              "} // namespace\n\n"
              "QByteArray jotrak::NewLogFile()\n"
              "{\n"
              "    return qUncompress(kPacked, static_cast<qsizetype>(sizeof kPacked));\n"
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
    const QByteArray source = SourceHolding(qCompress(bytes, 9));
    if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(source) != source.size() || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
