#pragma once

#include "address_text_dialog.h"

namespace dialogs {

// The dialog that adds one block-list entry, exactly as typed less its apostrophes.
class Form3 : public AddressTextDialog {
    Q_OBJECT

public:
    Form3(sweep::Messages& messages, QWidget* owner);
};

} // namespace dialogs
