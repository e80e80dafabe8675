#pragma once

class QWidget;

namespace sweep {
class Messages;
}

// The main window's block-list menu items; each shows its dialog modally over the owner and
// returns when it closes (the main window's timer keeps running meanwhile).
namespace dialogs {

void openAddAddressDialog(QWidget* owner, sweep::Messages& messages);    // m3: Form3
void openDeleteAddressDialog(QWidget* owner, sweep::Messages& messages); // m4: Form4
void openBlockListBrowser(QWidget* owner, sweep::Messages& messages);    // m5: Form5

} // namespace dialogs
