#pragma once

#include <QDateTime>

namespace sweep {

// Where the controller reads the time; tests move a fake one by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace sweep
