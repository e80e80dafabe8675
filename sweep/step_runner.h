#pragma once

#include <QObject>
#include <QThread>

#include <functional>

namespace sweep {

// Where the controller's steps run. The window's one is a worker thread; tests of the state
// machine run each step at once, or hold it back to act while it "runs".
class StepRunner {
public:
    virtual ~StepRunner() = default;
    // Runs work away from the caller's thread and then done on the caller's thread. Only one
    // piece of work is out at a time: the controller starts the next after done.
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
    // Waits until the work handed over has returned; done is then never called.
    virtual void finish() = 0;
};

// Runs each step inside run(), done included: for tools and tests that tick by hand.
class InlineStepRunner final : public StepRunner {
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        work();
        done();
    }
    void finish() override {}
};

// One worker thread for the whole program; done comes back through the caller's event loop.
class ThreadStepRunner final : public QObject, public StepRunner {
    Q_OBJECT

public:
    ThreadStepRunner();
    ~ThreadStepRunner() override;

    void run(std::function<void()> work, std::function<void()> done) override;
    void finish() override;

private:
    QThread m_thread;
    QObject m_worker; // lives on m_thread: the work is posted to it
    bool m_finished = false;
};

} // namespace sweep
