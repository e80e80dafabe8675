#include "command_line.h"

#include "app_info.h"

#include <QCoreApplication>

namespace session {

using namespace Qt::StringLiterals;

namespace {

// Options the application object reads for itself; those in the first list take a value.
const QStringList kQtOptionsWithValue = {
    u"-platform"_s,        u"-platformpluginpath"_s,
    u"-platformtheme"_s,   u"-plugin"_s,
    u"-qwindowgeometry"_s, u"-qwindowtitle"_s,
    u"-qwindowicon"_s,     u"-display"_s,
    u"-geometry"_s,        u"-style"_s,
    u"-stylesheet"_s,      u"-session"_s,
};
const QStringList kQtFlags = {u"-reverse"_s, u"-nograb"_s, u"-dograb"_s, u"-sync"_s,
                              u"-widgetcount"_s};

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    const auto wrong = [&line](const QString& error) {
        line.action = CommandLine::Action::Error;
        line.error = error;
        return line;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help"_s || argument == u"-h"_s) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == u"--version"_s || argument == u"-v"_s) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (argument == u"--minimized"_s) {
            line.minimized = true;
        } else if (argument == u"--check-start"_s) {
            line.checkStart = true;
        } else if (kQtFlags.contains(argument)) {
            continue;
        } else if (kQtOptionsWithValue.contains(argument)) {
            if (++i == arguments.size())
                return wrong(
                    QCoreApplication::translate("session", "オプション %1 には値が必要です")
                        .arg(argument));
        } else if (argument.startsWith(u'-')) {
            return wrong(QCoreApplication::translate("session", "%1 というオプションはありません")
                             .arg(argument));
        } else {
            return wrong(
                QCoreApplication::translate(
                    "session", "引数 %1 は使えません（ファイルやアドレスは指定できません）")
                    .arg(argument));
        }
    }
    return line;
}

QString usageText()
{
    return QCoreApplication::translate(
        "session",
        "使い方: junkbane [オプション]\n"
        "POP3 サーバー上の迷惑メールを差出人で見分けて削除します。\n"
        "\n"
        "  --minimized     ウィンドウを開かずに通知領域（トレイ）で起動します。\n"
        "                  トレイがないときは最小化して起動します\n"
        "  --check-start   データフォルダーを準備してウィンドウを開き、データフォルダーと\n"
        "                  ヘルプファイルの場所を表示して終了します（導入の確認用）\n"
        "  -h, --help      この説明を表示して終了します\n"
        "  -v, --version   バージョンを表示して終了します\n"
        "\n"
        "同じデータフォルダーで動くのは 1 つだけです。2 つ目を起動すると、\n"
        "動いているほうのウィンドウが前面に出ます。\n"
        "設定: データフォルダーの junkbane.mdb と junkbane.ini\n");
}

QString versionLine()
{
    return app::applicationTitle() + u" "_s + app::versionText() + u"\n"_s;
}

} // namespace session
