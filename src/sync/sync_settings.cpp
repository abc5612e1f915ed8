#include "sync/sync_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

#include <memory>

namespace jotrak {

namespace {

std::unique_ptr<QSettings> OpenSyncState(const QString& dataDir)
{
    return std::make_unique<QSettings>(QDir(dataDir).filePath(QStringLiteral("sync.ini")), QSettings::IniFormat);
}

// The computer and the place the data folder is at.
QString WhereThisIs(const QString& dataDir)
{
    return QString::fromLatin1(QSysInfo::machineUniqueId()) + u'|' + QFileInfo(dataDir).canonicalFilePath();
}

} // namespace

SyncSettings ReadSyncSettings(const QString& dataDir)
{
    const auto state = OpenSyncState(dataDir);
    return {state->value(QStringLiteral("enabled"), false).toBool(), state->value(QStringLiteral("folder")).toString()};
}

void WriteSyncSettings(const QString& dataDir, const SyncSettings& settings)
{
    const auto state = OpenSyncState(dataDir);
    state->setValue(QStringLiteral("enabled"), settings.enabled);
    state->setValue(QStringLiteral("folder"), QDir::fromNativeSeparators(settings.folder));
}

SyncDevice ThisDevice(const QString& dataDir)
{
    const auto state = OpenSyncState(dataDir);
    QString id = state->value(QStringLiteral("device/id")).toString();
    const QString where = WhereThisIs(dataDir);
    if (id.size() != 32 || state->value(QStringLiteral("device/where")).toString() != where) {
        id = NewRandomId();
        state->setValue(QStringLiteral("device/id"), id);
        state->setValue(QStringLiteral("device/where"), where);
        state->sync();
    }
    return {id, QSysInfo::machineHostName()};
}

SyncState ReadSyncState(const QString& dataDir)
{
    const auto state = OpenSyncState(dataDir);
    state->beginGroup(QStringLiteral("last"));
    SyncState last;
    last.last = QDateTime::fromString(state->value(QStringLiteral("time")).toString(), Qt::ISODate);
    last.received = state->value(QStringLiteral("received")).toInt();
    last.sent = state->value(QStringLiteral("sent")).toInt();
    last.conflicts = state->value(QStringLiteral("conflicts")).toInt();
    last.problems = state->value(QStringLiteral("problems")).toStringList();
    return last;
}

void WriteSyncState(const QString& dataDir, const SyncState& last)
{
    const auto state = OpenSyncState(dataDir);
    state->beginGroup(QStringLiteral("last"));
    state->setValue(QStringLiteral("time"), last.last.toString(Qt::ISODate));
    state->setValue(QStringLiteral("received"), last.received);
    state->setValue(QStringLiteral("sent"), last.sent);
    state->setValue(QStringLiteral("conflicts"), last.conflicts);
    state->setValue(QStringLiteral("problems"), last.problems);
}

QString SyncStateText(const SyncState& state)
{
    QString text = state.last.isValid() ? QString::fromUtf8("上次同步 %1,收到 %2 条,发出 %3 条")
                                              .arg(state.last.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                                              .arg(state.received)
                                              .arg(state.sent)
                                        : QString::fromUtf8("还没有同步过");
    if (state.conflicts > 0)
        text += QString::fromUtf8(",其中 %1 处两台电脑同时修改,两份内容都已保留").arg(state.conflicts);
    for (const QString& problem : state.problems)
        text += u'\n' + problem;
    return text;
}

} // namespace jotrak
