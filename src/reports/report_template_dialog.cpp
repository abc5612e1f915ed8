#include "reports/report_template_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace jotrak {

namespace {

constexpr int kSectionRole = Qt::UserRole;

void Fill(QListWidget* list, const ReportTemplate& sections)
{
    list->clear();
    for (const SectionSetting& section : sections) {
        auto* item = new QListWidgetItem(section.heading, list);
        item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
        item->setCheckState(section.shown ? Qt::Checked : Qt::Unchecked);
        item->setData(kSectionRole, static_cast<int>(section.section));
    }
    list->setCurrentRow(0);
}

ReportTemplate Read(QListWidget* list)
{
    const ReportTemplate defaults = DefaultReportTemplate();
    ReportTemplate sections;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        const auto section = static_cast<ReportSection>(item->data(kSectionRole).toInt());
        QString heading = item->text().simplified();
        if (heading.isEmpty())
            heading = defaults[static_cast<std::size_t>(section)].heading;
        sections.push_back({section, heading, item->checkState() == Qt::Checked});
    }
    return sections;
}

void Move(QListWidget* list, int by)
{
    const int row = list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= list->count())
        return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(to, item);
    list->setCurrentRow(to);
}

} // namespace

std::optional<ReportLayout> EditReportLayout(QWidget* parent, const ReportLayout& current)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("reportTemplateDialog"));
    dialog.setWindowTitle(QString::fromUtf8("报告模板"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("sections"));
    Fill(list, current.sections);
    auto* up = new QPushButton(QString::fromUtf8("上移"), &dialog);
    auto* down = new QPushButton(QString::fromUtf8("下移"), &dialog);
    auto* defaults = new QPushButton(QString::fromUtf8("恢复默认"), &dialog);
    auto* sunday = new QCheckBox(QString::fromUtf8("每周从周日开始"), &dialog);
    sunday->setObjectName(QStringLiteral("weekStartsOnSunday"));
    sunday->setChecked(current.weekStart == Qt::Sunday);
    QObject::connect(up, &QPushButton::clicked, list, [list] { Move(list, -1); });
    QObject::connect(down, &QPushButton::clicked, list, [list] { Move(list, 1); });
    QObject::connect(defaults, &QPushButton::clicked, list, [list] { Fill(list, DefaultReportTemplate()); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(up);
    side->addWidget(down);
    side->addWidget(defaults);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromUtf8("勾选要显示的部分;双击标题可改名,上移/下移调整顺序:"), &dialog));
    layout->addLayout(row);
    layout->addWidget(sunday);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ReportLayout{Read(list), sunday->isChecked() ? Qt::Sunday : Qt::Monday};
}

} // namespace jotrak
