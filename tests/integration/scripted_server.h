#pragma once

#include <QtGlobal>

#include <atomic>
#include <thread>

namespace mail {

// A TCP listener on 127.0.0.1 run by a thread of the test, for server faults a real POP3
// server cannot be made to show: it accepts connections and then never says a word.
class SilentServer {
public:
    SilentServer();  // listening when constructed; throws std::runtime_error otherwise
    ~SilentServer(); // stops the thread and closes every socket
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    quint16 port() const noexcept { return m_port; }
    int acceptedConnections() const noexcept { return m_accepted.load(); }

private:
    void run();

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1}; // written to on shutdown, so that poll() returns
    quint16 m_port = 0;
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

} // namespace mail
