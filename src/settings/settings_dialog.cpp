#include "settings/settings_dialog.h"

#include "shell/app_context.h"
#include "shell/desktop.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace jotrak {

namespace {

template <class W> W* Put(W* widget, const QString& name, const QRect& dlu)
{
    widget->setObjectName(name);
    widget->setGeometry(dlu);
    return widget;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : JotrakDialog(parent, QStringLiteral("设置"), 200, 138)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    Put(new QLabel(QStringLiteral("设置字体名称"), this), QStringLiteral("FontNameLabel"), Dlu(12, 14, 52, 10));
    Put(new QLineEdit(this), QStringLiteral("edit1004"), Dlu(68, 12, 120, 14));
    Put(new QLabel(QStringLiteral("字体大小"), this), QStringLiteral("FontSizeLabel"), Dlu(12, 36, 52, 10));
    Put(new QLineEdit(this), QStringLiteral("edit1005"), Dlu(68, 34, 40, 14));

    Put(new QPushButton(QStringLiteral("字体设置"), this), QStringLiteral("btn1012"), Dlu(118, 34, 70, 14));
    Put(new QPushButton(QStringLiteral("格言警句设置"), this), QStringLiteral("btn1011"), Dlu(12, 56, 70, 14));
    // "btnSearch": the search dialog, over this one while it is open
    auto* search =
        Put(new QPushButton(QStringLiteral("搜索"), this), QStringLiteral("btnSearch"), Dlu(118, 56, 70, 14));
    search->setToolTip(QStringLiteral("搜索所有的目标和工作内容 (Ctrl+F)"));
    connect(search, &QPushButton::clicked, this, [] {
        if (App().openSearch)
            App().openSearch();
    });

    // where the data lives; room below for what keeps it safe
    const QString dataDir = QDir::toNativeSeparators(App().dataDir);
    Put(new QLabel(QStringLiteral("数据文件夹"), this), QStringLiteral("DataDirLabel"), Dlu(12, 80, 52, 10));
    auto* open = Put(new QPushButton(QStringLiteral("打开数据文件夹"), this), QStringLiteral("btnOpenDataDir"),
                     Dlu(118, 78, 70, 14));
    connect(open, &QPushButton::clicked, this, [] { OpenWithShell(App().dataDir); });
    auto* folder = Put(new QLineEdit(dataDir, this), QStringLiteral("DataDirEdit"), Dlu(12, 96, 176, 14));
    folder->setReadOnly(true);
    folder->setToolTip(dataDir);
    folder->setCursorPosition(0);

    auto* ok = Put(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("btn1"), Dlu(84, 118, 50, 14));
    auto* cancel = Put(new QPushButton(QStringLiteral("取消"), this), QStringLiteral("btn2"), Dlu(138, 118, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
}

void OpenSettingsDialog()
{
    SettingsDialog dialog(App().mainWindow);
    dialog.exec();
}

} // namespace jotrak
