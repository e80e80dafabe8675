#pragma once

#include "address_text_dialog.h"

namespace dialogs {

class BlockListUndo;

// The dialog that deletes every block-list entry containing the typed fragment; with an undo,
// the deleted entries are kept in it.
class Form4 : public AddressTextDialog {
    Q_OBJECT

public:
    // undo, when given, must outlive the dialog.
    Form4(sweep::Messages& messages, QWidget* owner, BlockListUndo* undo = nullptr);

protected:
    void apply(store::Connection& settings, const QString& cleaned) override;

private:
    BlockListUndo* m_undo;
};

} // namespace dialogs
