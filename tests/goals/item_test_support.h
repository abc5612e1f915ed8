#pragma once

// Helpers of the work-item tests: answering modal dialogs as a user would,
// reading the item list and the item tables.

#include "data/record_access.h"
#include "shell/app_context.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace jotrak::test {

// Answers modal dialogs while the code under test waits in exec(): each dialog
// that opens gets the next queued answer; a dialog nobody expected is cancelled
// and counted.
class DialogAnswers {
public:
    DialogAnswers()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    template <class D> void expect(std::function<void(D*)> answer)
    {
        queue_.enqueue([answer](QWidget* widget) {
            auto* dialog = qobject_cast<D*>(widget);
            QVERIFY2(dialog, "another dialog opened than the one expected");
            answer(dialog);
        });
    }

    int pending() const { return static_cast<int>(queue_.size()); }
    int unexpected() const { return unexpected_; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || busy_)
            return;
        busy_ = true;
        QPointer<QDialog> guard(dialog);
        if (queue_.isEmpty()) {
            ++unexpected_;
        } else {
            queue_.dequeue()(dialog);
        }
        if (guard && guard->isVisible())
            guard->reject(); // a failed or missing answer must not leave the test hanging
        busy_ = false;
    }

    QTimer timer_;
    QQueue<std::function<void(QWidget*)>> queue_;
    int unexpected_ = 0;
    bool busy_ = false;
};

template <class W> W* Child(QWidget* dialog, const char* name)
{
    return dialog->findChild<W*>(QString::fromLatin1(name));
}

inline QStringList RowTexts(const QTableWidget* list, int row)
{
    QStringList texts;
    for (int column = 0; column < 5; ++column) {
        const QTableWidgetItem* item = list->item(row, column);
        texts << (item ? item->text() : QStringLiteral("<no cell>"));
    }
    return texts;
}

inline QStringList ColumnTexts(const QTableWidget* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row)
        texts << (list->item(row, column) ? list->item(row, column)->text() : QString());
    return texts;
}

// Clicks a cell of the list as the user would (the row becomes the marked one);
// a double click is a click followed by the double-click event.
inline void ClickRow(QTableWidget* list, int row, bool twice = false)
{
    QTableWidgetItem* item = list->item(row, 2);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
}

inline int GoalId(Table goalTable, const QString& key)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(goalTable, key), App().connection);
    return IsAtEnd(rs) ? -1 : GetFieldValue(rs, QStringLiteral("IDME")).toInt();
}

inline int InsertItem(Table goalTable, int goalId, const QString& content, const Value& note = Value::Null(),
                      int isOk = 0)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(ItemTableOf(goalTable)), App().connection);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ShangId"), Value(goalId));
    SetFieldValue(rs, QStringLiteral("nr"), Value(content));
    SetFieldValue(rs, QStringLiteral("wcqk"), note);
    SetFieldValue(rs, QStringLiteral("IsOk"), Value(isOk));
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    return id;
}

struct StoredItem {
    int id = 0;
    int goalId = 0;
    Value content;
    Value note;
    qint64 isOk = 0;
};

inline QList<StoredItem> StoredItems(Table itemTable)
{
    QList<StoredItem> items;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(itemTable), App().connection);
    for (; !IsAtEnd(rs); MoveToNext(rs)) {
        items.append({GetFieldValue(rs, QStringLiteral("IDME")).toInt(),
                      GetFieldValue(rs, QStringLiteral("ShangId")).toInt(), GetFieldValue(rs, QStringLiteral("nr")),
                      GetFieldValue(rs, QStringLiteral("wcqk")),
                      GetFieldValue(rs, QStringLiteral("IsOk")).toInteger()});
    }
    return items;
}

} // namespace jotrak::test
