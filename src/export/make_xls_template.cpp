// Build step: writes the spreadsheet template Dt/1.xls delivered beside the program.

#include "export/xls_template.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output .xls>\n", argv[0]);
        return 2;
    }
    const QByteArray bytes = jotrak::xls::TemplateFile();
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
