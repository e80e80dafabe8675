#pragma once

#include <atomic>

namespace mail {

// Raised by the window's thread to stop the step that runs on the worker: the transfer in
// progress ends at its next wait (within 50 ms), without QUIT, so nothing is committed.
class CancelFlag {
public:
    void raise() noexcept { m_raised.store(true, std::memory_order_release); }
    void clear() noexcept { m_raised.store(false, std::memory_order_release); }
    bool raised() const noexcept { return m_raised.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_raised{false};
};

} // namespace mail
