#include "program.h"

#include "data_folder.h"
#include "menu_wiring.h"

namespace app {

namespace {
mail::PopOptions withCancel(mail::PopOptions options, std::shared_ptr<mail::CancelFlag> cancel)
{
    options.cancel = std::move(cancel);
    return options;
}
} // namespace

Program::Program(sweep::Messages& messages, mail::PopOptions options)
    : m_library(withCancel(std::move(options), m_cancel)),
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
      m_window(m_clock, m_sweep, messages, m_runner, m_cancel)
{
    wireMenu(m_window, messages);
    if (const QString error = m_sweep.tidyDeletedMail(); !error.isEmpty())
        m_window.setStatusLine(error);
}

} // namespace app
