#pragma once

#include "scripted_pop_server.h"
#include "sweep_rig.h"

#include <QByteArray>
#include <QString>

#include <chrono>

namespace faulttest {

using namespace std::chrono_literals;

// Short bounds, so that a server that misbehaves costs seconds, not minutes.
inline mail::PopOptions shortBounds()
{
    mail::PopOptions options;
    options.connectTimeout = 1s;
    options.stallTimeout = 1s;
    options.progressWindow = 2s; // a message must bring 1 KB a second over any 2 s
    options.deleteTimeout = 3s;
    return options;
}

// The account the sweep uses on the scripted server: plain text, as the user must write it.
inline QString accountServer(const ScriptedPopServer& server)
{
    return QStringLiteral("pop3://127.0.0.1:%1").arg(server.port());
}

inline const QString kUser = QStringLiteral("sweeper");
inline const QString kPass = QStringLiteral("pass-word-77");
inline const QString kFailurePrefix = QStringLiteral("受信エラー：");

// The blocked sender's entry, and mails from it and from a friend.
inline const QString kBlockedEntry = QStringLiteral("spam@junk.example");
QByteArray junkMail(const QByteArray& body = "Buy now.\r\n");
QByteArray friendMail();

// This process's memory, in kB, from /proc/self/status.
class MemoryWatch {
public:
    // Starts a measurement: the peak is reset to what the process holds now.
    MemoryWatch();
    // How far the peak rose above the start, in kB; the current size when the kernel cannot
    // reset the peak.
    qint64 peakGrowthKb() const;

private:
    static qint64 field(const char* name);
    qint64 m_startKb = 0;
    bool m_peakReset = false;
};

} // namespace faulttest
