#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace jotrak {

enum class MessageButtons { Ok, OkCancel };
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Every message the program shows goes through here: application-modal, kept
// on top, owned by the given window, buttons 确定 and 取消 whatever translation
// is loaded. Technical details (an engine's or the system's own words) go into
// the box's details part, out of the sentence. Returns kIdOk or kIdCancel.
int ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                MessageButtons buttons = MessageButtons::Ok, const QString& details = {});
// The usual case: the sentence is also the caption.
int ShowMessage(QWidget* owner, const QString& textAndCaption);

// For runs nobody watches (jotrak --unattended: a package check, a script): from
// now on every message is written to standard error and answered with OK.
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
