#pragma once

#include "clock.h"
#include "mailbox_sweep.h"
#include "main_window.h"
#include "pop_mail_library.h"

namespace app {

class Messages;

// The whole program: the main window, its sweep over the real mail library, and every dialog
// on its menu. main() makes one; the end-to-end test and the screenshot tool make theirs the
// same way, with their own message boxes and certificate authorities.
class Program {
public:
    explicit Program(Messages& messages, mail::PopOptions options = {});

    Form1& window() { return m_window; }

private:
    SystemClock m_clock;
    mail::PopMailLibrary m_library;
    mail::MailboxSweep m_sweep;
    Form1 m_window;
};

} // namespace app
