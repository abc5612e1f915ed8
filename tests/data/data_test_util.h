#pragma once

#include "data/record_access.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

namespace jotrak::testutil {

// A fresh Jotrak database in a temporary folder.
struct TempDatabase {
    QTemporaryDir dir;
    ConnectionHolder connection;
    QString path() const { return dir.filePath(QStringLiteral("Dt/db.mdb")); }
    TempDatabase() { OpenDatabase(connection, path()); }
};

inline QByteArray FileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

inline int CountRows(ConnectionHolder& connection, Table table)
{
    RecordsetHolder rs;
    CreateRecordset(rs);
    OpenRecordset(rs, stmt::SelectAll(table), connection);
    int n = 0;
    while (!IsAtEnd(rs)) {
        ++n;
        MoveToNext(rs);
    }
    return n;
}

} // namespace jotrak::testutil
