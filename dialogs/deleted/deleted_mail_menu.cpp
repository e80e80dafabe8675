#include "deleted_mail_menu.h"

#include "deleted_mail.h"
#include "deleted_mail_dialog.h"
#include "settings_file.h"

#include <QFileInfo>

namespace dialogs {

void openDeletedMail(QWidget* owner, sweep::Messages& messages)
{
    const QString dataFolder = QFileInfo(store::settingsFilePath()).absolutePath();
    DeletedMailDialog dialog(sweep::DeletedMail::folderIn(dataFolder), messages,
                             DeletedMailDesktop::real(messages), owner);
    dialog.exec();
}

} // namespace dialogs
