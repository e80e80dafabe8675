#include "fixed_dialog.h"

#include "app_info.h"

#include <QDialog>
#include <QFont>

namespace dialogs {

using namespace Qt::StringLiterals;

void makeFixedDialog(QDialog& dialog, int widthTwips, int heightTwips)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(app::twips(widthTwips), app::twips(heightTwips));
    dialog.setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
}

} // namespace dialogs
