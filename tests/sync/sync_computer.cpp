#include "sync_computer.h"

#include "data/seed.h"
#include "sync/sync_settings.h"

#include <QDir>

namespace jotrak::test {

SyncComputer::SyncComputer(const QString& dataDir, const QString& syncFolder, bool recording)
    : dataDir_(dataDir), syncFolder_(syncFolder)
{
    QDir().mkpath(dataDir);
    device_ = ThisDevice(dataDir);
    OpenDatabase(log_, databasePath());
    SeedPeriodTables(log_);
    if (!recording)
        return;
    JoinSyncFolder(log_, syncFolder_, device_);
    log_.observer = std::make_unique<ChangeCapture>(log_, device_, [] {});
}

QString SyncComputer::databasePath() const
{
    return QDir(dataDir_).filePath(QStringLiteral("db.mdb"));
}

SyncRoundReport SyncComputer::round()
{
    ConnectionHolder own;
    OpenDatabase(own, databasePath());
    return RunSyncRound(own, syncFolder_, device_);
}

QStringList SharedContent(ConnectionHolder& connection)
{
    QStringList lines;
    const auto collect = [&](const QString& sql) {
        ReadRows(connection, {sql, {}, Table::Nian}, [&](const std::vector<Value>& row) {
            QStringList fields;
            for (const Value& value : row)
                fields << TextFromValue(value);
            lines << fields.join(QStringLiteral(" | "));
            return true;
        });
    };
    for (const char* goals : {"Nian", "Yue", "Ri"})
        collect(QStringLiteral("SELECT '%1', ming, nr FROM %1 WHERE coalesce(nr, '') <> ''").arg(QLatin1String(goals)));
    for (const char* goals : {"Nian", "Yue", "Ri"})
        collect(QStringLiteral("SELECT '%1Next', i.uid, g.ming, i.nr, coalesce(i.wcqk, ''), i.IsOk, "
                               "coalesce(i.CarriedTo, '') FROM %1Next i JOIN %1 g ON g.IDME = i.ShangId")
                    .arg(QLatin1String(goals)));
    collect(QStringLiteral("SELECT 'Tx', uid, ming, nr, shijian, lifa, tiqian FROM Tx"));
    collect(QStringLiteral("SELECT 'An', IDME, ming, wj FROM An"));
    lines.sort();
    return lines;
}

} // namespace jotrak::test
