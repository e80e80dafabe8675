#pragma once

class QWidget;

namespace sweep {
class Messages;
}

// The main window's block-list menu items; each shows its dialog modally over the owner and
// returns when it closes (the main window's timer keeps running meanwhile).
namespace dialogs {

class BlockListUndo;

void openAddAddressDialog(QWidget* owner, sweep::Messages& messages);    // m3: Form3
void openDeleteAddressDialog(QWidget* owner, sweep::Messages& messages); // m4: Form4
void openBlockListBrowser(QWidget* owner, sweep::Messages& messages);    // m5: Form5

// The same, keeping what a deletion removes in undo (which must outlive the dialogs).
void openDeleteAddressDialog(QWidget* owner, sweep::Messages& messages, BlockListUndo& undo);
void openBlockListBrowser(QWidget* owner, sweep::Messages& messages, BlockListUndo& undo);
// m12 (元に戻す): puts the entries of the last deletion back.
void undoBlockListDeletion(sweep::Messages& messages, BlockListUndo& undo);

} // namespace dialogs
