#pragma once

#include "fixed_dialog.h"
#include "settings_file.h"

#include <QString>

class QLineEdit;

namespace store {
class Connection;
}
class QPushButton;

namespace sweep {
class Messages;
}

namespace dialogs {

// A one-box block-list dialog: the typed address (apostrophes removed) goes into one statement
// when Command1 is pressed, then the dialog closes. Form3 and Form4 differ only in their texts
// and their statement.
class AddressTextDialog : public FixedDialog {
    Q_OBJECT

public:
    // Builds the one statement of a press from the typed text; it must remove apostrophes
    // itself, as the catalogue's block-list statements do.
    using StatementFor = QString (*)(const QString& text);

    QLineEdit* Text1;
    QPushButton* Command1; // the default button: Enter in Text1 presses it

protected:
    AddressTextDialog(sweep::Messages& messages, QWidget* owner, const QString& caption,
                      const QString& buttonCaption, StatementFor statementFor);

    // What a press does with the typed text (apostrophes removed, not empty): runs the one
    // statement.
    virtual void apply(store::Connection& settings, const QString& cleaned);

private:
    void onCommand1Clicked();

    sweep::Messages& m_messages;
    StatementFor m_statementFor;
};

} // namespace dialogs
