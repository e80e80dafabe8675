#pragma once

// What every benchmark shares: statistics, the result lines that scripts/bench.sh gathers
// into one table, the settings database beside the benchmark program, test messages.
// Header-only, so that each benchmark folder stays a single executable.

#include "connection.h"
#include "data_folder.h"
#include "statements.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

using namespace Qt::StringLiterals;

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The value below which the given share (0..1) of the samples lies, nearest rank.
inline double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = share * double(values.size() - 1);
    return values[static_cast<size_t>(rank + 0.5)];
}

inline double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// CLOCK_MONOTONIC in milliseconds: comparable between processes of the same machine, so a
// parent can time a child from before its exec to a moment the child reports.
inline double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// One line of the combined table. scripts/bench.sh collects the lines that start with
// "BENCH|"; everything else a benchmark prints is its own detail.
struct Row {
    std::string id;         // P1, P2, ...
    std::string figure;     // what was measured
    std::string value;      // with its unit
    std::string baseline;   // with its unit, or "-"
    std::string comparison; // ratio and target, e.g. "1.31x (target <= 1.25x)"
    std::string met;        // "yes", "no" or "-" (no target)
};

inline void printRow(const Row& row)
{
    std::printf("BENCH|%s|%s|%s|%s|%s|%s\n", row.id.c_str(), row.figure.c_str(), row.value.c_str(),
                row.baseline.c_str(), row.comparison.c_str(), row.met.c_str());
    std::fflush(stdout);
}

inline std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// A "Vm...:  1234 kB" line of /proc/self/status, in kB; -1 when it cannot be read.
inline long statusKb(const char* field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').front().toLong();
    }
    return -1;
}

[[noreturn]] inline void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

// junkbane.mdb (made by the real junkbane-initdb) and temp/ beside the benchmark program,
// where the sweep looks for them; both are removed again at the end. The benchmark has a
// folder of its own, so no user's settings are ever touched.
class SettingsBeside {
public:
    SettingsBeside()
    {
        remove();
        QProcess initdb;
        initdb.setProcessChannelMode(QProcess::MergedChannels);
        initdb.start(QStringLiteral(JUNKBANE_INITDB), {folder()});
        if (!initdb.waitForFinished(30000) || initdb.exitStatus() != QProcess::NormalExit ||
            initdb.exitCode() != 0)
            fail(u"junkbane-initdb failed: "_s + QString::fromUtf8(initdb.readAll()));
        if (!QDir(folder()).mkdir(u"temp"_s))
            fail(u"cannot create "_s + tempFolder());
    }
    ~SettingsBeside() { remove(); }
    SettingsBeside(const SettingsBeside&) = delete;
    SettingsBeside& operator=(const SettingsBeside&) = delete;

    static QString folder() { return store::dataFolder(); }
    static QString databasePath() { return QDir(folder()).filePath(u"junkbane.mdb"_s); }
    static QString tempFolder() { return QDir(folder()).filePath(u"temp"_s); }

    // Adds count block-list entries that match no sender the benchmarks use, through the
    // program's own statement, in one transaction.
    static void addBlockEntries(int count, int firstNumber = 0)
    {
        const auto connection = store::Connection::open(databasePath());
        connection->Execute(u"begin"_s);
        for (int i = firstNumber; i < firstNumber + count; ++i)
            connection->Execute(
                store::SqlBlockInsert(u"spam%1@junk-%2.example.net"_s.arg(i).arg(i % 997)));
        connection->Execute(u"commit"_s);
    }

    // Files left in temp/: a sweep step must leave none.
    static qsizetype leftovers()
    {
        return QDir(tempFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot).size();
    }

private:
    static void remove()
    {
        QFile::remove(databasePath());
        QDir(tempFolder()).removeRecursively();
    }
};

// A mail of about size bytes with CRLF line ends, from the given sender. Without an
// attachment the body is plain text; with one, a short text part is followed by a base64
// attachment that fills the rest, as large mails usually are.
inline QByteArray makeMessage(qsizetype size, const QByteArray& from, bool attachment)
{
    QByteArray mail =
        "Return-Path: <news@mailer.example.com>\r\n"
        "Received: from mailer.example.com (mailer.example.com [192.0.2.7])\r\n"
        "\tby mx.example.org with ESMTP id 4ABCD123; Mon, 3 Jun 2024 09:12:44 +0900\r\n"
        "Date: Mon, 3 Jun 2024 09:12:43 +0900\r\n"
        "From: " +
        from +
        "\r\n"
        "To: sweeper@example.org\r\n"
        "Subject: =?UTF-8?B?5pys5pel44Gu44GK55+l44KJ44Gb?=\r\n"
        "Message-ID: <20240603091243.4ABCD123@mailer.example.com>\r\n"
        "MIME-Version: 1.0\r\n";
    const QByteArray text = "This is line of the newsletter text, long enough to look like one.";
    if (!attachment) {
        mail += "Content-Type: text/plain; charset=us-ascii\r\n"
                "Content-Transfer-Encoding: 7bit\r\n\r\n";
        for (int line = 0; mail.size() < size; ++line)
            mail += QByteArray::number(line) + ' ' + text + "\r\n";
        return mail;
    }
    mail += "Content-Type: multipart/mixed; boundary=\"=_b0undary_=\"\r\n\r\n"
            "--=_b0undary_=\r\n"
            "Content-Type: text/plain; charset=us-ascii\r\n\r\n";
    for (int line = 0; line < 12; ++line)
        mail += text + "\r\n";
    mail += "--=_b0undary_=\r\n"
            "Content-Type: application/pdf; name=\"catalogue.pdf\"\r\n"
            "Content-Disposition: attachment; filename=\"catalogue.pdf\"\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n";
    const QByteArray closing = "--=_b0undary_=--\r\n";
    // 57 bytes of data make one 76-character base64 line.
    QByteArray chunk(57, '\0');
    for (int line = 0; mail.size() + 78 + closing.size() <= size; ++line) {
        for (int i = 0; i < chunk.size(); ++i)
            chunk[i] = char((line * 31 + i * 7) & 0xff);
        mail += chunk.toBase64() + "\r\n";
    }
    mail += closing;
    return mail;
}

} // namespace bench
