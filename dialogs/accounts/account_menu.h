#pragma once

class QWidget;

namespace sweep {
class Messages;
}

// What the main window's receive menu opens. Each shows its dialog modally over the owner and
// returns when it has closed; the main window's timer keeps running meanwhile.
namespace dialogs {

// m2: the new account dialog (Form2).
void openNewAccountDialog(QWidget* owner, sweep::Messages& messages);
// m8: the picker for sweeping (Form7).
void openSweepPicker(QWidget* owner, sweep::Messages& messages);
// m6: the picker for editing (Form6), which leads to the edit dialog (Form8).
void openEditPicker(QWidget* owner, sweep::Messages& messages);

} // namespace dialogs
