#include "command_line.h"

#include "app_info.h"

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
                return wrong(u"オプション %1 には値が必要です"_s.arg(argument));
        } else if (argument.startsWith(u'-')) {
            return wrong(u"%1 というオプションはありません"_s.arg(argument));
        } else {
            return wrong(
                u"引数 %1 は使えません（ファイルやアドレスは指定できません）"_s.arg(argument));
        }
    }
    return line;
}

QString usageText()
{
    return u"使い方: junkbane [オプション]\n"
           u"POP3 サーバー上の迷惑メールを差出人で見分けて削除します。\n"
           u"\n"
           u"  --minimized     ウィンドウを開かずに通知領域（トレイ）で起動します。\n"
           u"                  トレイがないときは最小化して起動します\n"
           u"  --check-start   データフォルダーを準備してウィンドウを開き、データフォルダーと\n"
           u"                  ヘルプファイルの場所を表示して終了します（導入の確認用）\n"
           u"  -h, --help      この説明を表示して終了します\n"
           u"  -v, --version   バージョンを表示して終了します\n"
           u"\n"
           u"同じデータフォルダーで動くのは 1 つだけです。2 つ目を起動すると、\n"
           u"動いているほうのウィンドウが前面に出ます。\n"
           u"設定: データフォルダーの junkbane.mdb と junkbane.ini\n"_s;
}

QString versionLine()
{
    return app::applicationTitle() + u" "_s + app::versionText() + u"\n"_s;
}

} // namespace session
