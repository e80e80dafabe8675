#pragma once

#include "fixed_dialog.h"

#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace sweep {
class Messages;
}

namespace dialogs {

// The desktop as the deleted-mail dialog uses it; tests put their own in its place.
struct DeletedMailDesktop {
    // Shows a kept message in the program's own viewer; returns when it closes.
    std::function<void(QWidget* owner, const QString& path)> view;
    // Hands a kept message to the mail program registered for message/rfc822: "" when it was
    // started, otherwise why not.
    std::function<QString(const QString& path)> openAsMail;
    // Where to save a copy, asked of the user; "" when they cancel.
    std::function<QString(QWidget* owner, const QString& suggested)> askSavePath;

    // The real desktop: KeptMailViewer, the registered mail program and QFileDialog. messages
    // must outlive what it returns.
    static DeletedMailDesktop real(sweep::Messages& messages);
};

// The deleted-mail dialog: every message kept in deleted/, newest first, with the time of its
// deletion, its sender (the "From:" text the sweep judged), subject and size, as plain text. 開く
// shows the highlighted message in the read-only viewer, and so do Enter and a double click;
// 保存 saves a copy where the user chooses. The arrow keys only move the highlight.
class DeletedMailDialog : public FixedDialog {
    Q_OBJECT

public:
    // folder: deleted/ itself.
    DeletedMailDialog(const QString& folder, sweep::Messages& messages, DeletedMailDesktop desktop,
                      QWidget* owner);

    QTreeWidget* List1;
    QLabel* Label1;
    QPushButton* Command1; // 開く
    QPushButton* Command2; // 保存

private:
    void load(const QString& folder);
    QString highlightedPath() const;
    void openHighlighted();
    void saveHighlighted();

    sweep::Messages& m_messages;
    DeletedMailDesktop m_desktop;
};

} // namespace dialogs
