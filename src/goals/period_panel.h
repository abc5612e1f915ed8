#pragma once

#include "data/keys.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace jotrak {

class WorkLog;

// Where the controls of one period row stand, what they say and the command
// identifier of each button (viewId 0: no such button).
struct PeriodRowPlaces {
    QRect key;
    Qt::Alignment keyAlignment;
    QString label;
    QRect labelPlace;
    int viewId = 0;
    QRect view;
    int modifyId = 0;
    QRect modify;
    int itemsId = 0; // 细项查看; the day row has none
    QRect items;
    QRect goal;
};

// One period row of the main window (年 / 月 / 日): its key box, its goal box
// and 查看 / 修改 / 细项查看, placed on the window at fixed places, with what it
// shows: the key and the goal text as it was loaded, so that typing not yet
// stored is known. A goal changed elsewhere (another window of the program, a
// search, a restore) shows here at once unless the box holds unsaved typing.
//
// Object names: "<Kind>KeyEdit", "<Kind>GoalLabel", "<Kind>GoalEdit" (Kind is
// Year, Month or Day) and "btn<id>" for the buttons.
class PeriodPanel : public QObject {
    Q_OBJECT
public:
    PeriodPanel(QWidget* window, WorkLog& log, PeriodKind kind, const PeriodRowPlaces& places, const QString& key,
                const QFont& font, const QFont& textFont);

    PeriodKind kind() const { return kind_; }
    QString key() const;
    QString goalText() const;
    QLineEdit* keyEdit() const { return keyEdit_; }
    QPlainTextEdit* goalEdit() const { return goalEdit_; }
    // The goal box holds typing that is not stored.
    bool hasUnsavedText() const;
    // The key the goal box was loaded for; its typing belongs there.
    QString loadedKey() const { return loadedKey_; }

    // Whether 查看 asks first when the goal box holds unsaved typing.
    enum class Typing { Ask, Replace };
    // 查看: the goal of the key in the key box; a key without one is reported
    // and nothing else happens. Unsaved typing is asked about first (see
    // SettleUnsavedGoals); 取消 leaves everything as it is. Then viewed() is
    // sent. Raises DatabaseError.
    void view(Typing typing = Typing::Ask);
    // 修改: stores the goal box as the goal of the key in the key box; a key
    // without one is reported as 查看 reports it. When another program stored
    // that goal since this box loaded it, asks whether to keep both, overwrite
    // or leave it. Raises DatabaseError.
    void modify();
    // Stores the unsaved typing as the goal it was loaded for, as 修改 would;
    // false when nothing was stored (no such goal, or 取消).
    bool saveTyping();
    // Shows key with its goal text, both as stored.
    void show(const QString& key, const QString& goalText);
    // The log was replaced (a restore): the typing now stands against what the
    // new log holds for its key, and its store asks nothing of what the old held.
    void rebase();

signals:
    // 查看 ran for key (the day row's reminders follow it).
    void viewed(const QString& key);
    // 细项查看 was pressed.
    void itemsRequested(jotrak::PeriodKind kind, const QString& key);

private:
    void follow(PeriodKind kind, const QString& key);

    bool store(const QString& key, QString text);

    WorkLog& log_;
    PeriodKind kind_;
    QLineEdit* keyEdit_ = nullptr;
    QPlainTextEdit* goalEdit_ = nullptr;
    QString loadedKey_;
    QString loadedText_; // as the box shows it
    QString storedText_; // as the log held it then
};

// The marked line under which keeping both puts the text another program stored.
inline constexpr char16_t kOtherWindowsText[] = u"——— 另一个窗口保存的内容 ———";

// Before goal boxes are refilled or the program ends: when any of panels holds
// unsaved typing, asks 保存 / 不保存 / 取消 (Enter: 保存) naming each box, with
// the question for what comes next. 保存 stores each as 修改 would. True to go
// on (stored or not to be stored), false to leave everything as it is (取消, or
// a store that did not happen). Raises DatabaseError.
bool SettleUnsavedGoals(QWidget* owner, const QList<PeriodPanel*>& panels, const QString& question);

} // namespace jotrak
