#pragma once

#include "block_list_undo.h"
#include "cancel_flag.h"
#include "clock.h"
#include "mailbox_sweep.h"
#include "main_window.h"
#include "pop_mail_library.h"
#include "step_runner.h"

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

private:
    sweep::SystemClock m_clock;
    std::shared_ptr<mail::CancelFlag> m_cancel = std::make_shared<mail::CancelFlag>();
    mail::PopMailLibrary m_library;
    sweep::MailboxSweep m_sweep;
    sweep::ThreadStepRunner m_runner;
    dialogs::BlockListUndo m_blockListUndo; // until the program exits
    Form1 m_window; // destroyed first: its controller waits for the step on m_runner
};

} // namespace app
