#pragma once

#include "shell/jotrak_dialog.h"

namespace jotrak {

// Dialog 132 "设置": a font name, a font size and two buttons that have no
// action yet, then the data folder in use with a button that opens it in the
// file manager. It centres itself and closes (确定 gives 1; 取消, Escape and
// the close box give 2); whatever was typed is dropped.
//
// Object names: "FontNameLabel", "edit1004" (font name), "FontSizeLabel",
// "edit1005" (font size), "btn1012" (字体设置), "btn1011" (格言警句设置),
// "DataDirLabel", "DataDirEdit" (the folder, read-only), "btnOpenDataDir"
// (打开数据文件夹), "btn1" (确定, the default button), "btn2" (取消).
class SettingsDialog : public JotrakDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent);
};

// Opens dialog 132 modally over the main window (command 123); stores nothing.
void OpenSettingsDialog();

} // namespace jotrak
