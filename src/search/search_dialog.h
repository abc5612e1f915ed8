#pragma once

#include "search/search_store.h"
#include "shell/jotrak_dialog.h"

#include <vector>

class QCheckBox;
class QLabel;
class QTimer;
class QLineEdit;
class QTableWidget;

namespace jotrak {

class BackgroundSearch;
class WorkLog;

// The dialog "搜索": a query box, filters beside it (a date range; 年 / 月 /
// 日; 完成 / 未完成; found in 目标 / 工作内容 / 完成情况), the hits newest first
// with 类别 (年/月/日), 键, 位置 (目标/工作内容/完成情况), 摘录 (the words in
// bold) and 完成 (of an item), and their count. A pause of kTypingPause after
// the last key or change of a filter, or Enter in the query box, or 搜索,
// searches on a thread of its own; a new search supersedes the one running.
// Enter or a double click on a hit asks for it to be shown (hitChosen) and
// leaves the dialog open. Modeless: it stays beside the main window until closed.
//
// Object names: "QueryLabel", "QueryEdit", "SearchButton" (the default button),
// "FromEdit", "ToEdit", "YearsBox", "MonthsBox", "DaysBox", "DoneBox",
// "OpenBox", "GoalsBox", "ContentsBox", "NotesBox", "ResultList",
// "CountLabel", "CloseButton".
class SearchDialog : public JotrakDialog {
    Q_OBJECT
public:
    SearchDialog(QWidget* owner, WorkLog& log);
    ~SearchDialog() override;

    // Hits listed at most; the others are counted.
    static constexpr int kListLimit = 1000;
    // How long after the last key a search starts.
    static constexpr int kTypingPause = 250;
    // Role of the excerpt cells that holds the marks, (start, length) as QPoint(x, y).
    static constexpr int kMarksRole = Qt::UserRole + 1;

    void search();
    void showHit(int row);

signals:
    // A hit is to be shown: its key in the key box of its kind, that goal, its
    // items listed and the item found selected.
    void hitChosen(const jotrak::SearchHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addHits(const std::vector<SearchHit>& hits);
    void finish(const SearchSummary& summary);
    // What the filter controls say; the problem with the dates, if any.
    QString readFilter(SearchFilter& filter) const;

    WorkLog& log_;
    QLineEdit* query_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    std::vector<std::pair<QCheckBox*, bool SearchFilter::*>> boxes_;
    QTimer* pause_ = nullptr;
    QTableWidget* list_ = nullptr;
    QLabel* count_ = nullptr;
    BackgroundSearch* search_ = nullptr;
    std::vector<SearchHit> hits_;
};

// Opens the dialog over owner, the main window (Ctrl+F; 搜索 in the settings
// dialog), or brings the one open to the front with the query selected.
SearchDialog* OpenSearchDialog(QWidget* owner, WorkLog& log);

} // namespace jotrak
