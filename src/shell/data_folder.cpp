#include "shell/data_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

namespace jotrak {

namespace {

const QString kManifest = QStringLiteral(".shipped");
const QString kSettingsName = QStringLiteral("jotrak.ini");

bool WritableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

QByteArray Hash(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// Hash of a file's bytes; empty for anything that cannot be read as a file.
QByteArray FileHash(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return Hash(file.readAll());
}

// "<hash> <name>" lines: the copies of shipped files this folder was given.
QHash<QString, QByteArray> ReadManifest(const QDir& folder)
{
    QHash<QString, QByteArray> given;
    QFile file(folder.filePath(kManifest));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype space = line.indexOf(' ');
            if (space > 0)
                given.insert(QString::fromUtf8(line.mid(space + 1)), line.left(space));
        }
    }
    return given;
}

// Written aside and renamed into place, so a file is either the old or the new one.
bool WriteWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

DataFolder PortableDataFolder(const QString& programDir)
{
    const QString path = QDir(programDir).filePath(QStringLiteral("Dt"));
    return {path, QDir(path).filePath(kSettingsName), true};
}

DataFolder ChooseDataFolder(const DataFolderPlaces& places)
{
    const QString settings = QDir(places.userConfigDir).filePath(kSettingsName);
    if (!places.chosenDir.isEmpty())
        return {QDir::cleanPath(QFileInfo(places.chosenDir).absoluteFilePath()), settings, false};
    DataFolder portable = PortableDataFolder(places.programDir);
    if (WritableFolder(portable.path))
        return portable;
    return {QDir(places.userDataDir).filePath(QStringLiteral("Dt")), settings, false};
}

DataFolderPlaces StandardPlaces(const QString& programDir, const QString& chosenDir)
{
    return {programDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation), chosenDir};
}

QString ShippedFilesDir(const QString& programDir)
{
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(JOTRAK_SHIPPED_FROM_BIN)));
}

QString MakeDataFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return QString::fromUtf8("无法创建数据文件夹 %1。请检查它的上级文件夹是否存在并且可以写入,"
                                 "或用 --data-dir 指定另一个文件夹。")
            .arg(Native(folder));
    if (!WritableFolder(folder))
        return QString::fromUtf8("数据文件夹 %1 不能写入。请检查它的权限,或用 --data-dir 指定另一个文件夹。")
            .arg(Native(folder));
    return {};
}

QString GiveShippedFiles(const QString& folder, const QString& shippedDir)
{
    const QDir data(folder);
    QHash<QString, QByteArray> given = ReadManifest(data);
    bool changed = false;
    const QDir shipped(shippedDir);
    for (const QString& name : shipped.entryList(QDir::Files)) {
        QFile source(shipped.filePath(name));
        if (!source.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = source.readAll();
        const QByteArray hash = Hash(bytes);
        const QString target = data.filePath(name);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
            const QByteArray present = FileHash(target);
            // the user's own file (changed, or put there), or already the shipped one
            if (present.isEmpty() || present != given.value(name) || present == hash)
                continue;
        }
        QString error;
        if (!WriteWhole(target, bytes, &error))
            return QString::fromUtf8("无法把 %1 写入数据文件夹 %2:%3").arg(name, Native(folder), error);
        given.insert(name, hash);
        changed = true;
    }
    if (changed) {
        QByteArray manifest;
        for (auto it = given.cbegin(); it != given.cend(); ++it)
            manifest += it.value() + ' ' + it.key().toUtf8() + '\n';
        QString error;
        if (!WriteWhole(data.filePath(kManifest), manifest, &error))
            return QString::fromUtf8("无法在数据文件夹 %1 中写入文件:%2").arg(Native(folder), error);
    }
    return {};
}

} // namespace jotrak
