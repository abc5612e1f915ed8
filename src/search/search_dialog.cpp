#include "search/search_dialog.h"

#include "search/background_search.h"
#include "shell/text_font.h"
#include "shell/work_log.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

namespace jotrak {

namespace {

enum Column { kKindColumn, kKeyColumn, kWhereColumn, kExcerptColumn, kDoneColumn };

QString KindText(PeriodKind kind)
{
    switch (kind) {
    case PeriodKind::Year: return QStringLiteral("年");
    case PeriodKind::Month: return QStringLiteral("月");
    case PeriodKind::Day: break;
    }
    return QStringLiteral("日");
}

QString WhereText(FoundIn where)
{
    switch (where) {
    case FoundIn::Goal: return QStringLiteral("目标");
    case FoundIn::Content: return QStringLiteral("工作内容");
    case FoundIn::Note: break;
    }
    return QStringLiteral("完成情况");
}

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// The excerpt as rich text, the marked parts in bold, blanks kept.
QString MarkedHtml(const QString& text, const QVariantList& marks)
{
    QString html = QStringLiteral("<span style=\"white-space:pre\">");
    qsizetype done = 0;
    for (const QVariant& mark : marks) {
        const QPoint at = mark.toPoint();
        html += text.mid(done, at.x() - done).toHtmlEscaped();
        html += QStringLiteral("<b>") + text.mid(at.x(), at.y()).toHtmlEscaped() + QStringLiteral("</b>");
        done = at.x() + at.y();
    }
    return html + text.mid(done).toHtmlEscaped() + QStringLiteral("</span>");
}

// Draws an excerpt cell with its marks in bold.
class MarkedExcerpt : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

        QTextDocument document;
        document.setDocumentMargin(0);
        document.setDefaultFont(cell.font);
        document.setHtml(MarkedHtml(text, index.data(SearchDialog::kMarksRole).toList()));
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget);
        QAbstractTextDocumentLayout::PaintContext context;
        const bool selected = cell.state & QStyle::State_Selected;
        context.palette.setColor(QPalette::Text,
                                 cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        context.clip = QRectF(0, 0, area.width(), area.height());
        painter->save();
        painter->translate(area.left(), area.top() + (area.height() - document.size().height()) / 2);
        painter->setClipRect(context.clip);
        document.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

QTableWidget* MakeResultList(QWidget* dialog)
{
    struct Title {
        const char* text;
        int width; // 0: takes what the others leave
    };
    static constexpr Title kTitles[] = {{"类别", 40}, {"键", 75}, {"位置", 70}, {"摘录", 0}, {"完成", 55}};
    auto* list = new QTableWidget(0, static_cast<int>(std::size(kTitles)), dialog);
    QHeaderView* header = list->horizontalHeader();
    for (int column = 0; column < list->columnCount(); ++column) {
        list->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromUtf8(kTitles[column].text)));
        if (kTitles[column].width == 0)
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        else
            list->setColumnWidth(column, kTitles[column].width);
    }
    header->setHighlightSections(false);
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->setItemDelegateForColumn(kExcerptColumn, new MarkedExcerpt(list));
    UseTextFont(list);
    return list;
}

} // namespace

SearchDialog::SearchDialog(QWidget* owner, WorkLog& log)
    : JotrakDialog(owner, QStringLiteral("搜索"), 380, 246), log_(log), search_(new BackgroundSearch(this))
{
    setObjectName(QStringLiteral("SearchDialog"));
    setModal(false);
    Place(this, new QLabel(QStringLiteral("搜索内容")), "QueryLabel", Dlu(7, 9, 36, 10));
    query_ = Place(this, new QLineEdit, "QueryEdit", Dlu(45, 7, 260, 14));
    query_->setPlaceholderText(QStringLiteral("一个或几个词,用空格隔开"));
    auto* go = Place(this, new QPushButton(QStringLiteral("搜索")), "SearchButton", Dlu(311, 7, 62, 14));
    go->setDefault(true);
    Place(this, new QLabel(QStringLiteral("日期")), "DateLabel", Dlu(7, 27, 36, 10));
    from_ = Place(this, new QLineEdit, "FromEdit", Dlu(45, 25, 60, 14));
    Place(this, new QLabel(QStringLiteral("至")), "ToLabel", Dlu(109, 27, 10, 10));
    to_ = Place(this, new QLineEdit, "ToEdit", Dlu(121, 25, 60, 14));
    for (QLineEdit* edit : {from_, to_})
        edit->setPlaceholderText(QStringLiteral("如 20180101"));
    struct Box {
        const char* text;
        const char* name;
        bool SearchFilter::*member;
        QRect place;
    };
    const Box boxes[] = {
        {"年", "YearsBox", &SearchFilter::years, Dlu(195, 27, 26, 10)},
        {"月", "MonthsBox", &SearchFilter::months, Dlu(223, 27, 26, 10)},
        {"日", "DaysBox", &SearchFilter::days, Dlu(251, 27, 26, 10)},
        {"完成", "DoneBox", &SearchFilter::done, Dlu(45, 43, 34, 10)},
        {"未完成", "OpenBox", &SearchFilter::open, Dlu(81, 43, 42, 10)},
        {"目标", "GoalsBox", &SearchFilter::goals, Dlu(139, 43, 34, 10)},
        {"工作内容", "ContentsBox", &SearchFilter::contents, Dlu(175, 43, 50, 10)},
        {"完成情况", "NotesBox", &SearchFilter::notes, Dlu(227, 43, 50, 10)},
    };
    for (const Box& box : boxes) {
        auto* check = Place(this, new QCheckBox(QString::fromUtf8(box.text)), box.name, box.place);
        check->setChecked(true);
        boxes_.emplace_back(check, box.member);
    }
    list_ = Place(this, MakeResultList(this), "ResultList", Dlu(7, 57, 366, 165));
    list_->installEventFilter(this);
    count_ = Place(this, new QLabel, "CountLabel", Dlu(7, 228, 300, 10));
    auto* close = Place(this, new QPushButton(QStringLiteral("关闭")), "CloseButton", Dlu(323, 226, 50, 14));

    pause_ = new QTimer(this);
    pause_->setSingleShot(true);
    pause_->setInterval(kTypingPause);
    connect(pause_, &QTimer::timeout, this, &SearchDialog::search);
    for (QLineEdit* edit : {query_, from_, to_})
        connect(edit, &QLineEdit::textChanged, pause_, qOverload<>(&QTimer::start));
    for (const auto& [check, member] : boxes_)
        connect(check, &QCheckBox::toggled, pause_, qOverload<>(&QTimer::start));
    connect(go, &QPushButton::clicked, this, &SearchDialog::search);
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showHit(row); });
    connect(this, &QDialog::finished, search_, &BackgroundSearch::stop); // closed: nothing more to show
    connect(this, &QDialog::finished, pause_, &QTimer::stop);
    connect(search_, &BackgroundSearch::hitsFound, this, &SearchDialog::addHits);
    connect(search_, &BackgroundSearch::finished, this, &SearchDialog::finish);
    connect(search_, &BackgroundSearch::failed, this, [this](const QString& message, const QString&) {
        count_->setText(QStringLiteral("搜索没有完成:") + message);
    });
}

SearchDialog::~SearchDialog() = default;

QString SearchDialog::readFilter(SearchFilter& filter) const
{
    for (const auto& [check, member] : boxes_)
        filter.*member = check->isChecked();
    return ReadDateRange(from_->text(), to_->text(), filter);
}

void SearchDialog::search()
{
    pause_->stop();
    search_->stop();
    hits_.clear();
    list_->setRowCount(0);
    SearchFilter filter;
    const QString problem = readFilter(filter);
    if (!problem.isEmpty()) {
        count_->setText(problem);
        return;
    }
    if (SearchWords(query_->text()).isEmpty()) {
        count_->setText(QStringLiteral("请输入要搜索的文字"));
        return;
    }
    count_->setText(QStringLiteral("正在搜索…"));
    search_->start(QDir::fromNativeSeparators(log_.connection().path()), query_->text(), filter, kListLimit);
}

void SearchDialog::addHits(const std::vector<SearchHit>& hits)
{
    int row = list_->rowCount();
    list_->setRowCount(row + static_cast<int>(hits.size()));
    for (const SearchHit& hit : hits) {
        list_->setItem(row, kKindColumn, Cell(KindText(hit.kind)));
        list_->setItem(row, kKeyColumn, Cell(hit.key));
        list_->setItem(row, kWhereColumn, Cell(WhereText(hit.where)));
        QTableWidgetItem* excerpt = Cell(hit.excerpt);
        QVariantList marks;
        for (const auto& [at, length] : hit.marks)
            marks << QPoint(at, length);
        excerpt->setData(kMarksRole, marks);
        excerpt->setToolTip(hit.excerpt);
        list_->setItem(row, kExcerptColumn, excerpt);
        list_->setItem(row, kDoneColumn,
                       Cell(hit.itemId == 0 ? QString()
                            : hit.done      ? QStringLiteral("OK")
                                            : QStringLiteral("未完成")));
        hits_.push_back(hit);
        ++row;
    }
    count_->setText(QStringLiteral("已找到 %1 条,仍在搜索…").arg(hits_.size()));
}

void SearchDialog::finish(const SearchSummary& summary)
{
    QString text = summary.total == 0 ? QStringLiteral("没有找到") : QStringLiteral("共找到 %1 条").arg(summary.total);
    if (summary.total > summary.listed)
        text += QStringLiteral(",列出最新的 %1 条").arg(summary.listed);
    if (!summary.indexed)
        text += QStringLiteral("(这个数据库文件没有搜索索引,搜索会慢一些)");
    count_->setText(text);
}

void SearchDialog::showHit(int row)
{
    if (row < 0 || row >= static_cast<int>(hits_.size()))
        return;
    const SearchHit hit = hits_[static_cast<std::size_t>(row)];
    emit hitChosen(hit);
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            showHit(list_->currentRow());
            return true;
        }
    }
    return JotrakDialog::eventFilter(watched, event);
}

namespace {

// Opened from a modal dialog (the settings' 搜索), the search stands over that
// one while it is open, so it takes input; then over the main window again.
void StandOverModal(SearchDialog* dialog)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == dialog || !modal->windowHandle())
        return;
    dialog->hide(); // shown again below: its blocked state is decided as it is shown
    dialog->winId();
    dialog->windowHandle()->setTransientParent(modal->windowHandle());
    QObject::connect(
        modal->windowHandle(), &QWindow::visibleChanged, dialog,
        [dialog](bool visible) {
            if (!visible && dialog->windowHandle() && dialog->parentWidget())
                dialog->windowHandle()->setTransientParent(dialog->parentWidget()->windowHandle());
        },
        Qt::SingleShotConnection);
}

} // namespace

SearchDialog* OpenSearchDialog(QWidget* owner, WorkLog& log)
{
    SearchDialog* dialog = owner->findChild<SearchDialog*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dialog)
        dialog = new SearchDialog(owner, log);
    StandOverModal(dialog);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    QLineEdit* query = dialog->findChild<QLineEdit*>(QStringLiteral("QueryEdit"));
    query->setFocus();
    query->selectAll();
    return dialog;
}

} // namespace jotrak
