#include "reports/report_dialog.h"

#include "calendar/clock.h"
#include "reports/report_media.h"
#include "reports/report_output.h"
#include "reports/report_render.h"
#include "shell/command_guard.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace jotrak {

namespace {

constexpr PeriodChoice kChoices[] = {PeriodChoice::Today,     PeriodChoice::ThisWeek,  PeriodChoice::LastWeek,
                                     PeriodChoice::ThisMonth, PeriodChoice::LastMonth, PeriodChoice::ThisQuarter,
                                     PeriodChoice::ThisYear,  PeriodChoice::Custom};

QDateEdit* MakeDateEdit(QWidget* parent, const char* name)
{
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* text, const char* name)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

ReportDialog::ReportDialog(QWidget* parent, ConnectionHolder& connection) : QDialog(parent), connection_(connection)
{
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(QString::fromUtf8("工作报告"));
    if (const auto settings = OpenSettings()) {
        layout_.sections = LoadReportTemplate(*settings);
        layout_.weekStart = LoadWeekStart(*settings);
    }

    period_ = new QComboBox(this);
    period_->setObjectName(QStringLiteral("period"));
    for (PeriodChoice choice : kChoices)
        period_->addItem(PeriodChoiceCaption(choice), static_cast<int>(choice));
    const QDate today = Clock::LocalNow().date();
    from_ = MakeDateEdit(this, "from");
    to_ = MakeDateEdit(this, "to");
    from_->setDate(today);
    to_->setDate(today);
    preview_ = new QTextBrowser(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setOpenLinks(false);
    chart_ = MakeCountsChart(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QString::fromUtf8("期间:"), this));
    top->addWidget(period_);
    top->addWidget(from_);
    top->addWidget(new QLabel(QString::fromUtf8("至"), this));
    top->addWidget(to_);
    top->addStretch();
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(preview_);
    splitter->addWidget(chart_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* copy = MakeButton(this, "复制", "copy");
    QPushButton* save = MakeButton(this, "保存…", "save");
    QPushButton* print = MakeButton(this, "打印…", "print");
    QPushButton* pdf = MakeButton(this, "PDF…", "pdf");
    QPushButton* edit = MakeButton(this, "模板…", "template");
    QPushButton* close = MakeButton(this, "关闭", "close");
    for (QPushButton* button : {copy, save, print, pdf, edit})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(760, 640);

    connect(period_, &QComboBox::currentIndexChanged, this, &ReportDialog::refresh);
    connect(from_, &QDateEdit::dateChanged, this, &ReportDialog::refresh);
    connect(to_, &QDateEdit::dateChanged, this, &ReportDialog::refresh);
    connect(copy, &QPushButton::clicked, this, &ReportDialog::copyReport);
    connect(save, &QPushButton::clicked, this, &ReportDialog::saveReport);
    connect(print, &QPushButton::clicked, this, &ReportDialog::printReport);
    connect(pdf, &QPushButton::clicked, this, &ReportDialog::savePdf);
    connect(edit, &QPushButton::clicked, this, &ReportDialog::editTemplate);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void ReportDialog::choosePeriod(PeriodChoice choice)
{
    period_->setCurrentIndex(period_->findData(static_cast<int>(choice)));
}

void ReportDialog::refresh()
{
    const auto choice = static_cast<PeriodChoice>(period_->currentData().toInt());
    const bool custom = choice == PeriodChoice::Custom;
    const ReportPeriod period =
        PeriodOf(choice, Clock::LocalNow().date(), layout_.weekStart, from_->date(), to_->date());
    from_->setEnabled(custom);
    to_->setEnabled(custom);
    if (!custom) {
        const QSignalBlocker blockFrom(from_), blockTo(to_);
        from_->setDate(period.first);
        to_->setDate(period.last);
    }
    RunGuarded(this, [&] {
        report_ = BuildReport(connection_, period, layout_.weekStart);
        blocks_ = ComposeReport(report_, layout_.sections);
        preview_->setHtml(RenderHtml(blocks_));
        ShowCounts(chart_, report_.counts);
    });
}

void ReportDialog::copyReport()
{
    QGuiApplication::clipboard()->setMimeData(ReportMimeData(blocks_).release());
}

void ReportDialog::saveReport()
{
    saveAs(QString::fromUtf8("保存工作报告"),
           QString::fromUtf8("文本文件 (*.txt);;Markdown 文件 (*.md);;网页文件 (*.html)"), QStringLiteral("txt"),
           &SaveReport);
}

void ReportDialog::savePdf()
{
    saveAs(QString::fromUtf8("保存为 PDF"), QString::fromUtf8("PDF 文件 (*.pdf)"), QStringLiteral("pdf"),
           &SaveReportPdf);
}

void ReportDialog::saveAs(const QString& caption, const QString& filter, const QString& suffix,
                          QString (*write)(const std::vector<ReportBlock>&, const QString&))
{
    const auto path = ChooseSaveFile(this, caption, filter, suffix);
    if (!path)
        return;
    if (const QString problem = write(blocks_, *path); !problem.isEmpty())
        ShowMessage(this, problem, caption);
}

void ReportDialog::printReport()
{
    if (const QString problem = PrintReport(this, report_.title, blocks_); !problem.isEmpty())
        ShowMessage(this, problem, QString::fromUtf8("打印"));
}

void ReportDialog::editTemplate()
{
    const auto edited = EditReportLayout(this, layout_);
    if (!edited)
        return;
    layout_ = *edited;
    if (const auto settings = OpenSettings()) {
        StoreReportTemplate(*settings, layout_.sections);
        StoreWeekStart(*settings, layout_.weekStart);
    }
    refresh();
}

void OpenReportDialog(QWidget* parent, ConnectionHolder& connection)
{
    ReportDialog dialog(parent, connection);
    dialog.exec();
}

} // namespace jotrak
