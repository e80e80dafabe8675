#include "cancel_flag.h"

#include <algorithm>

#include <sys/socket.h>
#include <unistd.h>

namespace mail {

void CancelFlag::raise() noexcept
{
    m_raised.store(true, std::memory_order_release);
    const std::lock_guard lock(m_socketsMutex);
    for (const int fd : m_sockets)
        ::shutdown(fd, SHUT_RDWR);
}

bool CancelFlag::watchSocket(int fd) const
{
    const std::lock_guard lock(m_socketsMutex);
    if (raised())
        return false;
    m_sockets.push_back(fd);
    return true;
}

int CancelFlag::closeSocket(int fd) const
{
    const std::lock_guard lock(m_socketsMutex);
    std::erase(m_sockets, fd);
    return ::close(fd);
}

} // namespace mail
