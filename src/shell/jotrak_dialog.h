#pragma once

#include <QDialog>
#include <QRect>

class QPlainTextEdit;

namespace jotrak {

// Base of every dialog of the program: fixed size given in dialog units,
// centred over the main window when it opens, result 1 for accept and 2 for
// cancel (Escape and the close box give 2). Enter presses the push button that
// has the focus, and elsewhere the default button, even a hidden one; so no
// dialog turns autoDefault off.
class JotrakDialog : public QDialog {
    Q_OBJECT
public:
    JotrakDialog(QWidget* parent, const QString& caption, int widthDlu, int heightDlu);

    // What a cancelled dialog gives: 2, as Escape and the close box do.
    static constexpr int kCancelled = 2;

    // End the dialog with 1 (accepted() is sent) or 2 (rejected() is sent).
    void reject() override;
    void done(int result) override;

    // Dialog units to pixels: 1.5 per horizontal and 1.625 per vertical unit.
    static QRect Dlu(int x, int y, int w, int h);
    // In a multi-line edit of a dialog, Enter presses the default button and
    // Ctrl+Enter types a line break.
    static void MakeEnterPressDefault(QPlainTextEdit* edit);

    // Puts a control on a dialog at a rectangle (from Dlu) under an object name.
    template <class Widget>
    static Widget* Place(QWidget* dialog, Widget* control, const char* objectName, const QRect& rect)
    {
        control->setParent(dialog);
        control->setObjectName(QString::fromLatin1(objectName));
        control->setGeometry(rect);
        return control;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};

} // namespace jotrak
