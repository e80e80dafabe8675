// Every window of the program, as the user sees it in the substitute font: no label cuts off
// any of its text at the places and sizes the windows were drawn with.

#include "about_box.h"
#include "account_pickers.h"
#include "add_address_dialog.h"
#include "block_list_browser.h"
#include "clock.h"
#include "delete_address_dialog.h"
#include "edit_account_dialog.h"
#include "main_window.h"
#include "mdl_main.h"
#include "new_account_dialog.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "step_runner.h"
#include "sweep.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class IdleSteps final : public sweep::SweepSteps {
public:
    qint16 mail_koi2(sweep::SweepCounters&, const sweep::Account&) override
    {
        return sweep::StateIdle;
    }
    qint16 mail_koi4(const sweep::SweepCounters&, const sweep::Account&) override
    {
        return sweep::StateIdle;
    }
};

// The rectangle a label's text needs, laid out as the label draws it (its alignment, its own
// line breaks, word wrap when it wraps), against the room it draws in. A final line break
// (the due time has one) adds no line that shows.
void expectWholeText(const QLabel& label, const QString& window)
{
    QString shown = label.text();
    while (shown.endsWith(u'\n') || shown.endsWith(u'\r'))
        shown.chop(1);
    if (shown.isEmpty())
        return;
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    int flags = static_cast<int>(label.alignment());
    if (label.wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect needed = label.fontMetrics().boundingRect(room, flags, shown);
    EXPECT_TRUE(room.contains(needed))
        << window.toStdString() << ": \"" << label.text().toStdString() << "\" in "
        << QFontInfo(label.font()).family().toStdString() << " " << label.font().pointSizeF()
        << "pt needs " << needed.width() << "x" << needed.height() << " px, has " << room.width()
        << "x" << room.height();
}

TEST(EveryWindow, EveryLabelShowsItsWholeText)
{
    const SettingsFixture settings;
    RecordingMessages messages;

    // The main window after a tick, with the widest texts it shows in use: a user name, the
    // counters at five digits, a due time and a clock late in the year.
    sweep::SystemClock clock;
    IdleSteps steps;
    MdlMain::sel_user = u"taro.yamada"_s;
    sweep::InlineStepRunner runner;
    Form1 main(clock, steps, messages, runner);
    main.Timer1->stop();
    main.onTimer1Timeout();
    MdlMain::sel_user = QVariant();
    main.Label1->setText(u"総 受 信 数     ：99999\r\nメールBOX残数：99999"_s);
    main.Label2->setText(u"2026/12/28 23:59:59\r\n"_s);
    main.Label3->setText(u"2026/12/28 23:59:59"_s);

    const std::pair<QString, std::function<std::unique_ptr<QWidget>()>> dialogs[] = {
        {u"Form2"_s, [&] { return std::make_unique<Form2>(messages, nullptr); }},
        {u"Form8"_s, [&] { return std::make_unique<Form8>(messages, nullptr); }},
        {u"Form6"_s,
         [&] {
             return std::make_unique<Form6>(messages, nullptr, [](QWidget*, sweep::Messages&) {});
         }},
        {u"Form7"_s, [&] { return std::make_unique<Form7>(messages, nullptr); }},
        {u"Form3"_s, [&] { return std::make_unique<dialogs::Form3>(messages, nullptr); }},
        {u"Form4"_s, [&] { return std::make_unique<dialogs::Form4>(messages, nullptr); }},
        {u"Form5"_s, [&] { return std::make_unique<dialogs::Form5>(messages, nullptr); }},
        {u"frmAbout"_s, [] { return std::make_unique<frmAbout>(nullptr); }},
    };

    int labels = 0;
    const auto walk = [&labels](const QWidget& window, const QString& name) {
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            expectWholeText(*label, name);
            ++labels;
        }
    };
    main.show();
    walk(main, u"Form1"_s);
    for (const auto& [name, make] : dialogs) {
        const std::unique_ptr<QWidget> window = make();
        window->show();
        walk(*window, name);
    }
    // Form1 with its status line; Form5, Form6 and Form7 with their empty-list hints.
    EXPECT_EQ(labels, 7 + 4 + 4 + 4 + 3) << "a window's labels were not all walked";
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
}

} // namespace
