#pragma once

#include "address_text_dialog.h"

namespace dialogs {

// The dialog that deletes every block-list entry containing the typed fragment.
class Form4 : public AddressTextDialog {
    Q_OBJECT

public:
    Form4(sweep::Messages& messages, QWidget* owner);
};

} // namespace dialogs
