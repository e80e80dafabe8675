#include "fault_rig.h"

#include <QFile>

#include <cstdio>

namespace faulttest {

QByteArray junkMail(const QByteArray& body)
{
    return "From: Junk <spam@junk.example>\r\n"
           "To: sweeper@mail.example\r\n"
           "Subject: offer\r\n"
           "Message-ID: <junk.1@junk.example>\r\n"
           "\r\n" +
           body;
}

QByteArray friendMail()
{
    return "From: Friend <friend@legit.example>\r\n"
           "To: sweeper@mail.example\r\n"
           "Subject: lunch\r\n"
           "Message-ID: <friend.2@legit.example>\r\n"
           "\r\n"
           "See you at noon.\r\n";
}

MemoryWatch::MemoryWatch()
{
    // "5" resets the peak resident size (VmHWM) to the current one.
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        m_peakReset = std::fputs("5", refs) >= 0;
        m_peakReset = (std::fclose(refs) == 0) && m_peakReset;
    }
    m_startKb = field("VmRSS:");
}

qint64 MemoryWatch::peakGrowthKb() const
{
    return field(m_peakReset ? "VmHWM:" : "VmRSS:") - m_startKb;
}

qint64 MemoryWatch::field(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix(name);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).simplified().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace faulttest
