#include "scripted_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace mail {

SilentServer::SilentServer()
{
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_listenFd, 8) != 0 ||
        getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        if (m_listenFd >= 0)
            ::close(m_listenFd);
        throw std::runtime_error("the silent server could not listen");
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

SilentServer::~SilentServer()
{
    const char stop = 'x';
    (void)::write(m_wakeFds[1], &stop, 1);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

void SilentServer::run()
{
    std::vector<int> clients; // held open, never written to
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents & POLLIN) {
            const int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                clients.push_back(client);
                ++m_accepted;
            }
        }
    }
    for (int client : clients)
        ::close(client);
}

} // namespace mail
