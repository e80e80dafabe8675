#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// A failure of the settings database: opening it or running a statement. The description is
// shown to the user as it stands, so it says what went wrong and where.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }

    const QString& description() const noexcept { return m_description; }

private:
    QString m_description;
};

} // namespace store
