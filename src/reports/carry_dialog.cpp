#include "reports/carry_dialog.h"

#include "data/carry_store.h"
#include "shell/centering.h"
#include "shell/command_guard.h"
#include "shell/message_box.h"
#include "shell/work_log.h"

#include <QDialog>
#include <QTimer>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace jotrak {

namespace {

QString DayKey(QDate day)
{
    return FormatDayKey(day.year(), day.month(), day.day());
}

} // namespace

int ChooseAndCarryItems(QWidget* parent, WorkLog& log, PeriodKind kind, const QString& firstKey, const QString& lastKey,
                        QDate today)
{
    const Table goalTable = GoalTableOf(kind);
    ConnectionHolder& connection = log.connection();
    const QString destination = CarryDestinationKey(goalTable, today);
    std::vector<OpenItem> items;
    RunGuarded(parent, [&] { items = OpenItemsBetween(connection, goalTable, firstKey, lastKey); });
    std::erase_if(items, [&](const OpenItem& item) { return item.goalKey >= destination; });
    if (items.empty()) {
        ShowMessage(parent, QString::fromUtf8("没有可以结转的未完成事项"), QString::fromUtf8("结转未完成"));
        return 0;
    }

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("carryDialog"));
    dialog.setWindowTitle(QString::fromUtf8("结转未完成"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("openItems"));
    for (const OpenItem& item : items) {
        auto* row = new QListWidgetItem(QStringLiteral("%1  %2").arg(item.goalKey, item.content), list);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Checked);
        row->setToolTip(item.note);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("结转"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QString::fromUtf8("勾选的事项将复制到 %1,原事项保留并标记为已结转:").arg(destination), &dialog));
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(520, 360);
    QTimer::singleShot(0, &dialog, [&dialog] { CenterOnMainWindow(&dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return 0;

    std::vector<int> chosen;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            chosen.push_back(items[static_cast<std::size_t>(row)].id);
    CarryOutcome outcome;
    RunGuarded(parent, [&] { outcome = log.carryItems(kind, chosen, destination); });
    if (!outcome.problem.isEmpty())
        ShowMessage(parent, outcome.problem, QString::fromUtf8("结转未完成"));
    return outcome.carried;
}

QString YesterdayOpenLine(ConnectionHolder& connection, QDate today)
{
    const QString yesterday = DayKey(today.addDays(-1));
    const auto open = OpenItemsBetween(connection, Table::Ri, yesterday, yesterday).size();
    if (open == 0)
        return {};
    return QString::fromUtf8("昨天还有 %1 项未完成,可结转到今天").arg(open);
}

} // namespace jotrak
