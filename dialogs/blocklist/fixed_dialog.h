#pragma once

class QDialog;

namespace dialogs {

// Gives a dialog the program's fixed shape: no minimise or maximise button, a client area of
// the given size in twips that the user cannot change, and the program's Japanese UI font.
// Qt centres a dialog over its owner when it is first shown.
void makeFixedDialog(QDialog& dialog, int widthTwips, int heightTwips);

} // namespace dialogs
