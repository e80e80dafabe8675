#include "step_runner.h"

namespace sweep {

ThreadStepRunner::ThreadStepRunner()
{
    m_thread.setObjectName(QStringLiteral("sweep step"));
    m_worker.moveToThread(&m_thread);
    m_thread.start();
}

ThreadStepRunner::~ThreadStepRunner()
{
    finish();
}

void ThreadStepRunner::run(std::function<void()> work, std::function<void()> done)
{
    if (m_finished)
        return;
    QMetaObject::invokeMethod(
        &m_worker,
        [this, work = std::move(work), done = std::move(done)] {
            work();
            // Posted to this object, which lives on the caller's thread; dropped if it is gone,
            // and not run once the caller has finished with the runner.
            QMetaObject::invokeMethod(
                this,
                [this, done] {
                    if (!m_finished)
                        done();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void ThreadStepRunner::finish()
{
    m_finished = true;
    m_thread.quit();
    m_thread.wait();
}

} // namespace sweep
