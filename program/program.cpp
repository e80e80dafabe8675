#include "program.h"

#include "menu_wiring.h"

#include <QCoreApplication>

namespace app {

using namespace Qt::StringLiterals;

namespace {
// Where the settings database, temp/ and deleted/ are.
QString dataFolder()
{
    return QCoreApplication::applicationDirPath();
}

mail::PopOptions withCancel(mail::PopOptions options, std::shared_ptr<mail::CancelFlag> cancel)
{
    options.cancel = std::move(cancel);
    return options;
}
} // namespace

Program::Program(Messages& messages, mail::PopOptions options)
    : m_library(withCancel(std::move(options), m_cancel)),
      m_sweep(m_library, {
                             .folder = [] { return dataFolder(); },
                             // Called on the worker: the line is set on the window's thread, before
                             // the step's end reaches the controller there.
                             .statusLine =
                                 [this](const QString& text) {
                                     QMetaObject::invokeMethod(
                                         &m_window, [this, text] { m_window.setStatusLine(text); },
                                         Qt::QueuedConnection);
                                 },
                             .cancel = m_cancel,
                         }),
      m_window(m_clock, m_sweep, messages, m_runner, m_cancel)
{
    wireMenu(m_window, messages);

    // Copies left by a run that ended between judging a message and deleting it are no kept
    // messages; kept messages past their time go.
    const mail::DeletedMail deleted(mail::DeletedMail::folderIn(dataFolder()));
    QString removeError;
    QString pruneError;
    const bool removed = deleted.removeAllPending(&removeError);
    const bool pruned = deleted.prune(&pruneError);
    if (!removed || !pruned)
        m_window.setStatusLine(u"削除エラー："_s + removeError + pruneError);
}

} // namespace app
