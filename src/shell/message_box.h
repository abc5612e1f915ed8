#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace jotrak {

// The buttons of a box, left to right; the first is the default (Enter), the
// last of the kinds with 取消 the answer of Escape.
enum class MessageButtons {
    Ok,
    OkCancel,
    SaveDiscardCancel,       // 保存 / 不保存 / 取消
    KeepBothOverwriteCancel, // 保留两者 / 覆盖 / 取消
    SwitchOrOpen,            // 转到那个窗口 / 再开一个窗口 (Escape: the first)
};
inline constexpr int kIdOk = 1;     // 确定, 保存, 保留两者, 转到那个窗口
inline constexpr int kIdCancel = 2; // 取消
inline constexpr int kIdOther = 3;  // 不保存, 覆盖, 再开一个窗口

// Every message the program shows goes through here: application-modal, kept
// on top, owned by the given window, its buttons in Chinese whatever translation
// is loaded. Technical details (an engine's or the system's own words) go into
// the box's details part, out of the sentence. Returns kIdOk, kIdCancel or kIdOther.
int ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                MessageButtons buttons = MessageButtons::Ok, const QString& details = {});
// The usual case: the sentence is also the caption.
int ShowMessage(QWidget* owner, const QString& textAndCaption);

// For runs nobody watches (jotrak --unattended: a package check, a script): from
// now on every message is written to standard error and answered with its first
// button (OK, or the answer that loses nothing).
void AnswerMessagesOnStandardError();

namespace testing {

struct ShownMessage {
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    QString details;
};

// Lets a test answer message boxes instead of a person: once enabled, no box is
// shown; each message is recorded and answered with the next queued answer (OK
// when none is queued).
class MessageBoxSeam {
public:
    static void Enable();
    static void Disable();
    static void QueueAnswer(int answer);
    static const QList<ShownMessage>& Shown();
    static void Clear();
};

} // namespace testing
} // namespace jotrak
