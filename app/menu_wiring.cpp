#include "menu_wiring.h"

#include "main_window.h"
#include "messages.h"

namespace app {

void wireMenu(Form1& form, Messages& messages)
{
    // The dialogs come in one by one; an item without its dialog stays disabled.
    (void)form;
    (void)messages;
}

} // namespace app
