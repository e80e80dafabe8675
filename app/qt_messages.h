#pragma once

#include "messages.h"

class QWidget;

namespace app {

// The program's message boxes: QMessageBox, no icon, an OK button only, the application title.
class QtMessages final : public sweep::Messages {
public:
    explicit QtMessages(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    void showMessage(const QString& text) override;
    void showFatal(const QString& text) override;

private:
    QWidget* m_owner;
};

} // namespace app
