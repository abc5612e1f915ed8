#pragma once

#include "shell/jotrak_dialog.h"

class QCheckBox;
class QLineEdit;

namespace jotrak {

// Dialog 132 "设置": the font of the texts the user writes (family and size in
// points, filled with the font in use; 字体设置 chooses one), 格言警句设置
// (dialog 133), then the data folder in use with a button that opens it in the
// file manager, the time and result of the last backup and the button that
// opens "备份与恢复", and whether reminders also go to the desktop's
// notifications ("DesktopNoticeBox"). 确定 applies and keeps a changed font; a size outside 6–72
// or a family not installed is refused with a message and the dialog stays
// open. It centres itself; 确定 gives 1; 取消, Escape and the close box give 2
// and change nothing.
//
// Object names: "FontNameLabel", "edit1004" (font name), "FontSizeLabel",
// "edit1005" (font size), "btn1012" (字体设置), "btn1011" (格言警句设置),
// "DataDirLabel", "DataDirEdit" (the folder, read-only), "btnOpenDataDir"
// (打开数据文件夹), "LastBackupLabel", "btnBackupRestore" (备份与恢复), "btn1" (确定, the default button), "btn2"
// (取消).
class SettingsDialog : public JotrakDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent);

signals:
    // 搜索 was pressed: the search dialog is wanted over this one.
    void searchRequested();
    // The maxims were edited and kept.
    void maximsChanged();
    // 同步 was pressed: the dialog 同步 is wanted over this one.
    void syncRequested();

private:
    void chooseFont();
    bool takeFont();

    QLineEdit* fontName_ = nullptr;
    QLineEdit* fontSize_ = nullptr;
    QCheckBox* notices_ = nullptr;
    QString shownFamily_;
    QString shownSize_;
};

} // namespace jotrak
