#include "app/command_line.h"

#include "app/translation.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <memory>

namespace jotrak {

namespace {

const QString kDataDirOption = QStringLiteral("data-dir");
const QString kQuitAfterStartupOption = QStringLiteral("quit-after-startup");
const QString kReportPaintOption = QStringLiteral("report-paint");
const QString kUnattendedOption = QStringLiteral("unattended");
const QString kNoStartPageOption = QStringLiteral("no-start-page");

std::unique_ptr<QCommandLineParser> MakeParser()
{
    auto parser = std::make_unique<QCommandLineParser>();
    parser->setApplicationDescription(QString::fromUtf8("Jotrak:记录每年、每月、每天的工作目标和工作细项的工作日志。\n"
                                                        "数据默认保存在用户的数据文件夹(~/.local/share/Jotrak/Dt);"
                                                        "程序旁边有可写的 Dt 文件夹时使用它。"));
    parser->addHelpOption();
    parser->addVersionOption();
    parser->addOption({kDataDirOption,
                       QString::fromUtf8("使用<文件夹>保存数据(数据库、格言、模板和起始页),不存在时新建。"),
                       QString::fromUtf8("文件夹")});
    parser->addOption({kNoStartPageOption, QString::fromUtf8("不显示起始页(不启动网页引擎)。")});
    parser->addOption({kQuitAfterStartupOption,
                       QString::fromUtf8("启动完成<毫秒>后关闭窗口(检查安装包、测量启动时间)。"),
                       QString::fromUtf8("毫秒")});
    parser->addOption({kReportPaintOption, QString::fromUtf8("在标准错误上报告窗口的首次绘制(JOTRAK_SHOWN)、"
                                                             "启动完成(JOTRAK_READY)和今日一行的每次绘制"
                                                             "(JOTRAK_TODAY)。")});
    parser->addOption({kUnattendedOption, QString::fromUtf8("无人值守:消息写到标准错误,并当作按了“确定”。")});
    return parser;
}

} // namespace

std::optional<int> AnswerHelpOrVersion(int argc, char* argv[])
{
    static const char* const kAsks[] = {"-h", "--help", "-?", "--help-all", "-v", "--version"};
    bool asked = false;
    for (int i = 1; i < argc && !asked; ++i)
        for (const char* ask : kAsks)
            asked = asked || qstrcmp(argv[i], ask) == 0;
    if (!asked)
        return std::nullopt;
    QCoreApplication application(argc, argv);
    InstallQtTranslation();
    MakeParser()->process(application); // prints the answer and ends the process
    return 0;
}

CommandLine ReadCommandLine(const QStringList& arguments)
{
    InstallQtTranslation(); // Qt's own words about a wrong command line, in Chinese
    const auto parser = MakeParser();
    parser->process(arguments);
    CommandLine commandLine;
    commandLine.dataDir = parser->value(kDataDirOption);
    if (parser->isSet(kQuitAfterStartupOption))
        commandLine.quitAfterStartupMs = parser->value(kQuitAfterStartupOption).toInt();
    commandLine.reportPaint = parser->isSet(kReportPaintOption);
    commandLine.unattended = parser->isSet(kUnattendedOption);
    commandLine.startPage = !parser->isSet(kNoStartPageOption);
    return commandLine;
}

} // namespace jotrak
