// Seeded random mailboxes and block lists, with another mail reader deleting random messages
// between random ticks: the sweep deletes exactly the blocked messages the other reader left,
// and never a legitimate one. "Blocked" comes from an oracle of the block rule written here on
// its own, not from the program's code.

#include "dovecot_fixture.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <QSet>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;

constexpr int kSeeds = 30;

// --- The oracle ------------------------------------------------------------------------------

// The characters taken out of a sender before it is looked up: punctuation, the hyphen, the
// blank and a few full-width forms.
const QString kRemoved =
    u"',:;`[]{}\\|=-)(%$#!\uFF65+ \uFF3C\uFF5E\u2225\uFF5C\u2026\u2025\u2018\u2019\"\u00B4"_s;

QString withoutRemoved(QString text)
{
    for (const QChar c : kRemoved)
        text.remove(c);
    return text;
}

QString asciiLower(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return text;
}

enum class Form { NamedAngle, Angle, Bare, EmptyAngle, NamedEmptyAngle, NoFrom };

struct Sender {
    Form form;
    QByteArray name; // the display name as written in the header (may be an encoded word)
    QString address; // as written, letter case included
};

// Angle form: the address is blocked when, less the removed characters, some entry contains
// it, ASCII case aside. Bare form: when it equals an entry, ASCII case aside. An empty address
// and a missing sender are never blocked.
bool oracleBlocked(const Sender& sender, const QStringList& entries)
{
    const QString address = asciiLower(withoutRemoved(sender.address));
    for (const QString& entry : entries) {
        const QString stored = asciiLower(entry);
        switch (sender.form) {
        case Form::NamedAngle:
        case Form::Angle:
            if (stored.contains(address))
                return true;
            break;
        case Form::Bare:
            if (stored == address)
                return true;
            break;
        case Form::EmptyAngle:
        case Form::NamedEmptyAngle:
        case Form::NoFrom:
            return false;
        }
    }
    return false;
}

// --- Random mailboxes --------------------------------------------------------------------------

const QStringList kLocalParts = {u"spam"_s,        u"promo"_s,       u"first-last"_s,
                                 u"news_letter"_s, u"news.letter"_s, u"info"_s,
                                 u"x+tag"_s,       u"sale"_s,        u"bob"_s};
const QStringList kDomains = {u"junk.example"_s, u"legit.example"_s, u"shop.example"_s};
const QList<QByteArray> kNames = {"Shop", "\"Quoted, Name\"", "=?UTF-8?B?44GK55+l44KJ44Gb?=",
                                  "=?ISO-2022-JP?B?GyRCTEJPRyVhITwlaxsoQg==?="};

// The seed's source of random choices.
class Dice {
public:
    explicit Dice(unsigned seed) : m_engine(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    template <typename List> auto pick(const List& list)
    {
        return list[below(static_cast<int>(list.size()))];
    }
    QString randomCase(const QString& text)
    {
        QString out = text;
        for (QChar& c : out) {
            if (c.isLetter() && c.unicode() < 128 && chance(0.4))
                c = c.toUpper();
        }
        return out;
    }

private:
    std::mt19937 m_engine;
};

QString randomAddress(Dice& dice)
{
    return dice.pick(kLocalParts) + u"@"_s + dice.pick(kDomains);
}

// An entry as a user might type it, made from one of the seed's addresses: the whole
// address, its domain, the address less its hyphen, inside a longer text, with "_" and "."
// swapped; or something unrelated.
QString randomEntry(Dice& dice, const QStringList& pool)
{
    const QString address = dice.pick(pool);
    switch (dice.below(7)) {
    case 0:
    case 1:
        return dice.randomCase(address);
    case 2:
        return address.mid(address.indexOf(u'@') + 1);
    case 3:
        return QString(address).remove(u'-').remove(u'+');
    case 4:
        return u"list-"_s + address;
    case 5:
        return QString(address).replace(u'_', u'.');
    default:
        return randomAddress(dice);
    }
}

// A sender with one of the seed's addresses (now and then only its tail), in any letter case
// and any form.
Sender randomSender(Dice& dice, const QStringList& pool)
{
    QString address = dice.pick(pool);
    if (dice.chance(0.2))
        address = address.mid(1 + dice.below(3));
    Sender sender{Form::NamedAngle, dice.pick(kNames), dice.randomCase(address)};
    const int roll = dice.below(20);
    if (roll < 8)
        sender.form = Form::NamedAngle;
    else if (roll < 11)
        sender.form = Form::Angle;
    else if (roll < 17)
        sender.form = Form::Bare;
    else if (roll == 17)
        sender.form = Form::EmptyAngle;
    else if (roll == 18)
        sender.form = Form::NamedEmptyAngle;
    else
        sender.form = Form::NoFrom;
    return sender;
}

std::optional<QByteArray> fromHeader(const Sender& sender)
{
    const QByteArray address = sender.address.toUtf8();
    switch (sender.form) {
    case Form::NamedAngle:
        return sender.name + " <" + address + ">";
    case Form::Angle:
        return "<" + address + ">";
    case Form::Bare:
        return address;
    case Form::EmptyAngle:
        return QByteArray("<>");
    case Form::NamedEmptyAngle:
        return sender.name + " <>";
    case Form::NoFrom:
        break;
    }
    return std::nullopt;
}

QString sortedText(const QSet<QString>& uids)
{
    QStringList list(uids.begin(), uids.end());
    list.sort();
    return list.join(u' ');
}

QString describe(const Sender& sender)
{
    const std::optional<QByteArray> from = fromHeader(sender);
    return from ? QString::fromUtf8(*from) : u"(no From)"_s;
}

// --- The test --------------------------------------------------------------------------------

TEST(RandomSweep, deletesExactlyTheBlockedMessagesTheOtherReaderLeftAndNoLegitimateOne)
{
    mail::DovecotFixture server;
    server.start();
    // How much the seeds exercised, so that a change of the generator cannot quietly make the
    // test easy.
    int blockedMessages = 0;
    int legitimateMessages = 0;
    int removedWhileDeletePending = 0;
    int removedOtherwise = 0;

    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE(u"seed %1"_s.arg(seed).toStdString());
        Dice dice(seed);
        for (const QString& uid : server.uids())
            ASSERT_TRUE(server.deleteByUid(uid));

        QStringList pool;
        for (int i = 3 + dice.below(4); i > 0; --i)
            pool << randomAddress(dice);
        QStringList entries;
        for (int i = dice.below(8); i > 0; --i)
            entries << randomEntry(dice, pool);
        QStringList initial;
        QSet<QString> blocked;
        QSet<QString> legitimate;
        QStringList story; // what the mailbox held, for the failure message
        for (int i = 5 + dice.below(11); i > 0; --i) {
            const Sender sender = randomSender(dice, pool);
            const QString uid = server.addMessage(buildMail(fromHeader(sender), "random"));
            initial << uid;
            const bool isBlocked = oracleBlocked(sender, entries);
            (isBlocked ? blocked : legitimate).insert(uid);
            story << u"%1 %2%3"_s.arg(uid, describe(sender), isBlocked ? u" [blocked]"_s : u""_s);
        }
        SCOPED_TRACE(
            (u"entries: "_s + entries.join(u" | "_s) + u"\nmailbox:\n"_s + story.join(u'\n'))
                .toStdString());

        mail::PopOptions options;
        SweepRig rig(options);
        rig.block(entries);
        SweepRig::selectAccount(u"pop3://127.0.0.1:%1"_s.arg(server.port()), server.user(),
                                server.password());

        // Another reader deletes a random message now and then; legitimate mail the other
        // reader did not take must be on the server after every tick.
        QSet<QString> removedByOther;
        QStringList wronglyDeleted;
        const auto otherReader = [&](int tick) {
            const QStringList now = server.uids();
            for (const QString& uid : legitimate) {
                if (!removedByOther.contains(uid) && !now.contains(uid))
                    wronglyDeleted << u"tick %1: %2"_s.arg(tick).arg(uid);
            }
            const bool judged = rig.controller.state() == sweep::StateDeletePending;
            if (!now.isEmpty() && dice.chance(judged ? 0.4 : 0.15)) {
                const QString uid = dice.pick(now);
                if (server.deleteByUid(uid)) {
                    removedByOther.insert(uid);
                    ++(judged ? removedWhileDeletePending : removedOtherwise);
                }
            }
        };
        const int bound = 4 * static_cast<int>(initial.size()) + 12;
        rig.controller.start();
        const TickRun racing = rig.runUntilWaiting(bound, otherReader);
        ASSERT_TRUE(racing.ended);

        // Messages that moved below the number the sweep had reached are judged after a reset
        // and a new start, with nobody else about.
        rig.controller.reset();
        rig.controller.start();
        const TickRun calm = rig.runUntilWaiting(bound);
        ASSERT_TRUE(calm.ended);

        const QStringList left = server.uids();
        QSet<QString> deletedBySweep = gone(initial, left);
        deletedBySweep.subtract(removedByOther);
        QSet<QString> expected = blocked;
        expected.subtract(removedByOther);
        EXPECT_EQ(sortedText(deletedBySweep).toStdString(), sortedText(expected).toStdString());
        EXPECT_TRUE(wronglyDeleted.isEmpty()) << wronglyDeleted.join(u"; "_s).toStdString();
        EXPECT_FALSE(deletedBySweep.intersects(legitimate));
        EXPECT_TRUE(racing.leftovers.isEmpty() && calm.leftovers.isEmpty());
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
        if (::testing::Test::HasFailure())
            return; // the first seed that fails says enough
        blockedMessages += static_cast<int>(blocked.size());
        legitimateMessages += static_cast<int>(legitimate.size());
    }
    EXPECT_GE(blockedMessages, kSeeds);
    EXPECT_GE(legitimateMessages, kSeeds);
    EXPECT_GE(removedWhileDeletePending, 5);
    EXPECT_GE(removedOtherwise, kSeeds);
}

} // namespace
} // namespace sweeptest
