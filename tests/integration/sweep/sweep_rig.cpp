#include "sweep_rig.h"

#include "deleted_mail.h"
#include "mdl_main.h"
#include "statements.h"
#include "text_helpers.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace sweeptest {

using namespace Qt::StringLiterals;

std::chrono::milliseconds TickRun::longest() const
{
    return durations.empty() ? std::chrono::milliseconds{0}
                             : *std::max_element(durations.begin(), durations.end());
}

SweepRig::SweepRig(const mail::PopOptions& options)
    : library(options),
      sweep(library, {
                         .folder = [] { return SettingsFixture::folder(); },
                         .statusLine = [this](const QString& text) { statusLine = text; },
                         .now = [this] { return clock.now(); },
                         .leftOnServer = [this](const sweep::Account&,
                                                const QByteArray& uid) { leftOnServer = uid; },
                     }),
      controller(clock, sweep, messages, view, runner)
{
}

SweepRig::~SweepRig()
{
    MdlMain::sel_server = QVariant();
    MdlMain::sel_user = QVariant();
    MdlMain::sel_pass = QVariant();
    MdlMain::sel_time = QVariant();
}

void SweepRig::selectAccount(const QString& server, const QString& user, const QString& pass,
                             qint64 seconds)
{
    MdlMain::sel_server = server;
    MdlMain::sel_user = user;
    MdlMain::sel_pass = pass;
    MdlMain::sel_time = seconds;
}

void SweepRig::block(const QStringList& entries) const
{
    for (const QString& entry : entries)
        settings.execute(store::SqlBlockInsert(entry));
}

TickRun SweepRig::runUntilWaiting(int maxTicks, const std::function<void(int)>& afterTick)
{
    TickRun run;
    for (int tick = 1; tick <= maxTicks; ++tick) {
        const auto begun = std::chrono::steady_clock::now();
        controller.tick();
        run.durations.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - begun));
        run.states.push_back(controller.state());
        if (const QStringList left = tempEntries(); !left.isEmpty())
            run.leftovers << u"tick %1: %2"_s.arg(tick).arg(left.join(u", "_s));
        if (afterTick)
            afterTick(tick);
        if (controller.state() == sweep::StateWaiting || controller.state() == sweep::StateIdle) {
            run.ended = true;
            break;
        }
    }
    return run;
}

void SweepRig::passDueTime()
{
    const QDateTime due = sweep::parseDateText(controller.nextRunText().trimmed());
    clock.advance(clock.now().secsTo(due) + 1);
}

QStringList SweepRig::tempEntries()
{
    return QDir(SettingsFixture::tempFolder())
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QList<QByteArray> SweepRig::keptMessages()
{
    QList<QByteArray> messages;
    for (const sweep::DeletedMail::Kept& kept :
         sweep::DeletedMail(SettingsFixture::deletedFolder()).list()) {
        QFile file(kept.path);
        messages << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)"));
    }
    return messages;
}

QStringList SweepRig::pendingCopies()
{
    return QDir(SettingsFixture::deletedFolder())
        .entryList({u".pending-*"_s, u".deleting-*"_s}, QDir::Files | QDir::Hidden);
}

std::vector<qint16> expectedStates(RunBegins begins, const std::vector<bool>& verdicts)
{
    std::vector<qint16> states;
    int nothingFetched = 0;
    const auto fetchGivesNothing = [&] {
        states.push_back(sweep::StateNothingFetched);
        ++nothingFetched;
        states.push_back(nothingFetched == 3 ? sweep::StateWaiting : sweep::StateSweep);
    };
    if (begins == RunBegins::FromStart)
        fetchGivesNothing(); // "SAVE 0"
    else
        states.push_back(sweep::StateSweep);
    for (const bool blocked : verdicts) {
        if (blocked)
            states.push_back(sweep::StateDeletePending);
        states.push_back(sweep::StateSweep);
    }
    while (nothingFetched < 3)
        fetchGivesNothing();
    return states;
}

QSet<QString> gone(const QStringList& before, const QStringList& after)
{
    QSet<QString> result(before.begin(), before.end());
    for (const QString& uid : after)
        result.remove(uid);
    return result;
}

} // namespace sweeptest
