#pragma once

#include <atomic>
#include <mutex>
#include <vector>

namespace mail {

// Raised by the window's thread to stop the step that runs on the worker: the transfer in
// progress ends at its next wait (within 50 ms), without QUIT, so nothing is committed.
//
// Curl also waits inside a single call, where no flag is looked at: for the reply to the QUIT
// that ends a session, up to the stall bound. So the flag keeps the sockets of the connections
// open under it, and raising it shuts them down: any wait on them ends at once.
class CancelFlag {
public:
    void raise() noexcept;
    void clear() noexcept { m_raised.store(false, std::memory_order_release); }
    bool raised() const noexcept { return m_raised.load(std::memory_order_acquire); }

    // A connection's new socket, shut down by raise() until closeSocket. False when the flag
    // is raised already: the connection must not go ahead.
    bool watchSocket(int fd) const;
    // Closes a socket given to watchSocket (or any other), as the socket's owner would.
    int closeSocket(int fd) const;

private:
    std::atomic<bool> m_raised{false};
    // Not part of the flag's value: the sockets a raise must reach, guarded so that a socket
    // is never shut down after it was closed (its number may be another file's by then).
    mutable std::mutex m_socketsMutex;
    mutable std::vector<int> m_sockets;
};

} // namespace mail
