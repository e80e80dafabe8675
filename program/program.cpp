#include "program.h"

#include "data_folder.h"
#include "deleted_mail.h"
#include "menu_wiring.h"
#include "settings_file.h"

#include <QFileInfo>

namespace app {

namespace {
mail::PopOptions withCancel(mail::PopOptions options, std::shared_ptr<mail::CancelFlag> cancel,
                            std::function<void(const QString&)> progress)
{
    options.cancel = std::move(cancel);
    options.progress = std::move(progress);
    return options;
}
} // namespace

Program::Program(sweep::Messages& messages, mail::PopOptions options)
    : m_library(withCancel(std::move(options), m_cancel,
                           // Called on the worker while a long message comes in; the step's own
                           // report replaces the line when the fetch ends.
                           [this](const QString& text) {
                               QMetaObject::invokeMethod(
                                   &m_window, [this, text] { m_window.setStatusLine(text); },
                                   Qt::QueuedConnection);
                           })),
      m_sweep(m_library, {
                             .folder = [folder = store::dataFolder()] { return folder; },
                             // Called on the worker: the line is set on the window's thread, before
                             // the step's end reaches the controller there.
                             .statusLine =
                                 [this](const QString& text) {
                                     QMetaObject::invokeMethod(
                                         &m_window, [this, text] { m_window.setStatusLine(text); },
                                         Qt::QueuedConnection);
                                 },
                             .cancel = m_cancel,
                             .leftOnServer =
                                 [this](const sweep::Account& account, const QByteArray& uid) {
                                     QMetaObject::invokeMethod(
                                         &m_window,
                                         [this, account, uid] {
                                             if (m_events.leftOnServer)
                                                 m_events.leftOnServer(account, uid);
                                         },
                                         Qt::QueuedConnection);
                                 },
                             .passedOver =
                                 [this](const QString& text) {
                                     QMetaObject::invokeMethod(
                                         &m_window,
                                         [this, text] {
                                             if (m_events.passedOver)
                                                 m_events.passedOver(text);
                                         },
                                         Qt::QueuedConnection);
                                 },
                         }),
      m_blockListUndo([this](const QString& text) { m_window.setStatusLine(text); }),
      m_window(m_clock, m_sweep, messages, m_runner, m_cancel)
{
    wireMenu(m_window, messages, m_blockListUndo);
    // Today's deletions are the kept copies deleted today: each delete the server confirmed
    // leaves one.
    m_window.setDeletedTodayCounter([folder = sweep::DeletedMail::folderIn(
                                         QFileInfo(store::settingsFilePath()).absolutePath())] {
        const QDate today = QDate::currentDate();
        int count = 0;
        for (const sweep::DeletedMail::Kept& kept : sweep::DeletedMail(folder).list())
            count += kept.deletedAt.date() == today ? 1 : 0;
        return count;
    });
    if (const QString error = m_sweep.tidyDeletedMail(); !error.isEmpty())
        m_window.setStatusLine(error);
}

} // namespace app
