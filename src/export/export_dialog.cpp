#include "export/export_dialog.h"

#include "calendar/clock.h"
#include "export/excel_export.h"
#include "export/export_dialog_rules.h"
#include "export/text_export.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/desktop.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace jotrak {

namespace {

QLabel* AddLabel(QWidget* dialog, const QString& text, const char* name, QRect geometry)
{
    return JotrakDialog::Place(dialog, new QLabel(text), name, geometry);
}

QLineEdit* AddKeyEdit(QWidget* dialog, const char* name, QRect geometry)
{
    return JotrakDialog::Place(dialog, new QLineEdit, name, geometry);
}

QPushButton* AddButton(QWidget* dialog, const QString& text, const char* name, QRect geometry)
{
    return JotrakDialog::Place(dialog, new QPushButton(text), name, geometry);
}

// The workbook template of the data folder.
QString TemplatePath()
{
    return QDir(App().dataDir).filePath(QStringLiteral("1.xls"));
}

ExportResult RunWriter(const ExportButtonRule& rule, const ExportDialogData& data)
{
    ConnectionHolder& connection = App().log.connection();
    if (rule.target == ExportTarget::Text)
        return ExportGoalsAsText(connection, rule.goalTable, data.fromText, data.toText, data.fileName);
    return ExportItemsToExcel(connection, rule.goalTable, data.fromText, data.toText, data.filter, TemplatePath(),
                              data.fileName);
}

} // namespace

void OpenExportDialog(QWidget* parent)
{
    ExportDialogData data;
    ExportDialog dialog(parent, data);
    dialog.exec();
}

ExportDialog::ExportDialog(QWidget* owner, ExportDialogData& data)
    : JotrakDialog(owner, QStringLiteral("目标导出"), 359, 187), data_(data)
{
    setObjectName(QStringLiteral("exportDialog"));
    data_.dialog = this;
    data_.filter = kExportAllItems;
    BuildControls();
    FillDefaultRange();
}

void ExportDialog::BuildControls()
{
    filterGroup_ = new QButtonGroup(this);
    const struct {
        const char* name;
        QString text;
        int x;
    } radios[] = {{"filterAllRadio", QStringLiteral("导出全部记录"), 20},
                  {"filterDoneRadio", QStringLiteral("导出已完成记录"), 128},
                  {"filterOpenRadio", QStringLiteral("导出未完成记录"), 236}};
    for (int filter = 0; filter < 3; ++filter) {
        auto* radio = new QRadioButton(radios[filter].text, this);
        radio->setObjectName(QLatin1String(radios[filter].name));
        radio->setGeometry(Dlu(radios[filter].x, 14, 100, 12));
        filterGroup_->addButton(radio, filter);
    }
    filterGroup_->button(data_.filter)->setChecked(true);
    connect(filterGroup_, &QButtonGroup::idClicked, this, [this](int filter) { data_.filter = filter; });

    AddLabel(this, QStringLiteral("导出"), "fromLabel", Dlu(20, 43, 20, 10));
    data_.fromEdit = AddKeyEdit(this, "fromEdit", Dlu(42, 40, 80, 14));
    AddLabel(this, QStringLiteral("到"), "toLabel", Dlu(130, 43, 12, 10));
    data_.toEdit = AddKeyEdit(this, "toEdit", Dlu(144, 40, 80, 14));
    AddLabel(this, QStringLiteral("的目标历史记录"), "rangeLabel", Dlu(232, 43, 104, 10));

    QLabel* help =
        AddLabel(this, QStringLiteral("输入说明: 导出年历史记录可输入如2018即可,月输入201801,日输入如20180101"),
                 "helpLabel", Dlu(20, 64, 319, 20));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    int column = 0;
    for (const ExportButtonRule& rule : ExportButtonRules()) {
        const int x = 20 + 108 * (column % 3);
        const int y = column < 3 ? 94 : 120;
        QPushButton* button = AddButton(this, QString::fromUtf16(rule.caption), rule.objectName, Dlu(x, y, 100, 18));
        connect(button, &QPushButton::clicked, this, [this, &rule] { Export(rule); });
        ++column;
    }

    okButton_ = AddButton(this, QStringLiteral("导出"), "okButton", Dlu(183, 158, 75, 18));
    okButton_->setDefault(true);
    okButton_->hide();
    QPushButton* cancel = AddButton(this, QStringLiteral("取消"), "cancelButton", Dlu(264, 158, 75, 18));
    connect(okButton_, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    data_.fromEdit->setFocus();
}

void ExportDialog::FillDefaultRange()
{
    const QDate today = Clock::LocalNow().date();
    data_.toEdit->setText(DefaultExportToKey(today));
    data_.fromEdit->setText(DefaultExportFromKey(today));
}

void ExportDialog::Export(const ExportButtonRule& rule)
{
    data_.fromText = data_.fromEdit->text();
    data_.toText = data_.toEdit->text();
    data_.fileName.clear();

    const ExportFileChoice choice = ExportFileChoiceFor(rule.target);
    const std::optional<QString> file = ChooseSaveFile(this, choice.title, choice.filter, choice.defaultSuffix);
    if (!file)
        return;
    data_.fileName = *file;

    data_.fromText = CutExportKey(data_.fromText, rule.cutLength);
    data_.toText = CutExportKey(data_.toText, rule.cutLength);
    if (const std::optional<QString> refusal = ExportRangeMessage(rule, data_.fromText, data_.toText)) {
        ShowMessage(this, *refusal);
        return;
    }

    RunGuarded(this, [&] {
        const ExportResult result = RunWriter(rule, data_);
        // The workbook failure stands on its own, like the message of a missing data file.
        const bool workbookFailed = result.message == QString::fromUtf8(kWorkbookFailedMessage);
        if (!result.message.isEmpty()) // a failure, or a notice after a success
            ShowMessage(workbookFailed ? nullptr : this, result.message, result.caption, MessageButtons::Ok,
                        result.details);
        if (result)
            OpenOrTell(this, data_.fileName);
    });
}

} // namespace jotrak
