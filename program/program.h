#pragma once

#include "block_list_undo.h"
#include "cancel_flag.h"
#include "clock.h"
#include "mailbox_sweep.h"
#include "main_window.h"
#include "pop_mail_library.h"
#include "step_runner.h"

#include <functional>
#include <memory>

namespace app {

// The whole program: the main window, its sweep over the real mail library on a worker
// thread, and every dialog on its menu. main() makes one; the end-to-end test and the
// screenshot tool make theirs the same way, with their own message boxes and certificate
// authorities.
class Program {
public:
    explicit Program(sweep::Messages& messages, mail::PopOptions options = {});

    Form1& window() { return m_window; }
    sweep::MailboxSweep& sweep() { return m_sweep; }

    // What the sweep tells the rest of the program, on the window's thread: the message it
    // moved past and left on the server (where a later run resumes), a message it passed over.
    struct SweepEvents {
        std::function<void(const sweep::Account&, const QByteArray&)> leftOnServer;
        std::function<void(const QString&)> passedOver;
    };
    void setSweepEvents(SweepEvents events) { m_events = std::move(events); }

private:
    SweepEvents m_events;
    sweep::SystemClock m_clock;
    std::shared_ptr<mail::CancelFlag> m_cancel = std::make_shared<mail::CancelFlag>();
    mail::PopMailLibrary m_library;
    sweep::MailboxSweep m_sweep;
    sweep::ThreadStepRunner m_runner;
    dialogs::BlockListUndo m_blockListUndo; // until the program exits
    Form1 m_window; // destroyed first: its controller waits for the step on m_runner
};

} // namespace app
