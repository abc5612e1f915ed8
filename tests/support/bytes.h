#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace jotrak::test {

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& b : bytes)
        b = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace jotrak::test
