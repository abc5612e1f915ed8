#pragma once

#include "reports/report_builder.h"
#include "reports/report_template_dialog.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QTextBrowser;

namespace jotrak {

class ConnectionHolder;

// 工作报告: the period picker (今天 … 本年, 自定义 with two dates), the report's
// preview and a chart of its counts, and 复制 / 保存 / 打印 / PDF / 模板.
// The template and the week start are read from and kept in the settings.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    ReportDialog(QWidget* parent, ConnectionHolder& connection);

    void choosePeriod(PeriodChoice choice);
    const std::vector<ReportBlock>& blocks() const { return blocks_; }
    const Report& report() const { return report_; }

private:
    void refresh();
    void copyReport();
    void saveReport();
    void printReport();
    void savePdf();
    void saveAs(const QString& caption, const QString& filter, const QString& suffix,
                QString (*write)(const std::vector<ReportBlock>&, const QString&));
    void editTemplate();

    ConnectionHolder& connection_;
    ReportLayout layout_;
    Report report_;
    std::vector<ReportBlock> blocks_;
    QComboBox* period_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QTextBrowser* preview_ = nullptr;
    QWidget* chart_ = nullptr;
};

// The entry of the program's command 工作报告 (Ctrl+R): opens the dialog, modal,
// on the log of connection, today taken from the Clock.
void OpenReportDialog(QWidget* parent, ConnectionHolder& connection);

} // namespace jotrak
