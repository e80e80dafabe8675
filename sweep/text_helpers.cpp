#include "text_helpers.h"

#include <QRandomGenerator>

#include <cmath>

namespace sweep {

namespace {

// The removal table, by code point. Exactly these 32 characters and no other.
constexpr char16_t kRemoved[] = {
    0x0027, 0x002C, 0x003A, 0x003B, 0x0060, 0x005B, 0x005D, 0x007B, 0x007D, 0x005C, 0x007C,
    0x003D, 0x002D, 0x0029, 0x0028, 0x0025, 0x0024, 0x0023, 0x0021, 0xFF65, 0x002B, 0x0020,
    0xFF3C, 0xFF5E, 0x2225, 0xFF5C, 0x2026, 0x2025, 0x2018, 0x2019, 0x0022, 0x00B4,
};
static_assert(std::size(kRemoved) == 32);

constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
static_assert(std::size(kAlphabet) - 1 == 36);

} // namespace

QVariant Reprep(const QVariant& text)
{
    QString running = text.toString();
    for (const char16_t c : kRemoved)
        running.remove(QChar(c));
    return running;
}

QVariant Angou(const QVariant& length)
{
    const double k = std::floor(length.toDouble());
    QString result;
    if (!(k >= 0))
        return result;
    // The generator is seeded once from the system's entropy and then runs on, which is what
    // stirring the clock into a running state was for: calls never restart the sequence.
    QRandomGenerator* generator = QRandomGenerator::global();
    for (double step = 0; step <= k; ++step) {
        const auto index = static_cast<qsizetype>(std::floor(generator->generateDouble() * 36));
        result.append(QLatin1Char(kAlphabet[index]));
    }
    return result;
}

} // namespace sweep

namespace sweep {

namespace {
const QString kDateFormat = QStringLiteral("yyyy/MM/dd H:mm:ss");
}

QString dateText(const QDateTime& moment)
{
    return moment.toString(kDateFormat);
}

QDateTime parseDateText(const QString& text)
{
    return QDateTime::fromString(text, kDateFormat);
}

} // namespace sweep
