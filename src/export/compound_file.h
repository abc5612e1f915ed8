#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The compound-file (OLE2 structured storage) container of an .xls file, read
// and written with libgsf, which takes care of small-block streams and of
// files of any size. libgsf lives in a module of its own (jotrak_compound_file),
// loaded at the first use.
namespace jotrak::xls {

struct CompoundEntry {
    QString name;
    bool isStorage = false;
    QByteArray data;                       // a stream's bytes
    std::array<unsigned char, 16> clsid{}; // a storage's class id
    std::vector<CompoundEntry> children;   // a storage's entries, in file order

    CompoundEntry* findStream(const QString& streamName); // a direct child, name compared without case
    const CompoundEntry* findStream(const QString& streamName) const;
};

// Reads the whole tree into memory. Nothing, with a reason in *error, when the
// bytes are not a readable compound file.
std::optional<CompoundEntry> ReadCompoundFile(QByteArrayView bytes, QString* error = nullptr);

// Writes a tree as a compound file.
std::optional<QByteArray> WriteCompoundFile(const CompoundEntry& root, QString* error = nullptr);

// Empty when the module that reads and writes compound files is loaded (loading
// it if need be); otherwise a message for the user saying that it is missing.
QString CompoundFileModuleTrouble();

} // namespace jotrak::xls
