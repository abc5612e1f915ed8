#include "app/message_box.h"

#include <QMessageBox>
#include <QQueue>

#include <cstdio>

namespace jotrak {

namespace {
bool g_seam = false;
QQueue<int> g_answers;
QList<testing::ShownMessage> g_shown;
} // namespace

int ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons)
{
    if (g_seam) {
        g_shown.append({text, caption, buttons});
        return g_answers.isEmpty() ? kIdOk : g_answers.dequeue();
    }
    // For runs nobody watches (tests of the whole program, scripts): the message
    // goes to standard error and counts as answered with OK.
    if (qEnvironmentVariableIntValue("JOTRAK_NONINTERACTIVE") == 1) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        std::fflush(stderr);
        return kIdOk;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
}

int ShowMessage(QWidget* owner, const QString& textAndCaption)
{
    return ShowMessage(owner, textAndCaption, textAndCaption);
}

namespace testing {

void MessageBoxSeam::Enable()
{
    g_seam = true;
    Clear();
}

void MessageBoxSeam::Disable()
{
    g_seam = false;
    Clear();
}

void MessageBoxSeam::QueueAnswer(int answer)
{
    g_answers.enqueue(answer);
}

const QList<ShownMessage>& MessageBoxSeam::Shown()
{
    return g_shown;
}

void MessageBoxSeam::Clear()
{
    g_answers.clear();
    g_shown.clear();
}

} // namespace testing
} // namespace jotrak
