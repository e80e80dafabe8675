#pragma once

#include "fixed_dialog.h"

#include <QString>
#include <QUrl>

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
    std::function<bool(const QString& mimeType)> hasApplicationFor;
    std::function<bool(const QUrl& file)> open; // the desktop's opener; true when it took it
    // Where to save a copy, asked of the user; "" when they cancel.
    std::function<QString(QWidget* owner, const QString& suggested)> askSavePath;

    // The real desktop: xdg-mime, QDesktopServices and QFileDialog.
    static DeletedMailDesktop real();
};

// The deleted-mail dialog: every message kept in deleted/, newest first, with the time of its
// deletion, its sender (the "From:" text the sweep judged), subject and size. 開く hands the
// highlighted message to the desktop's mail program, and so do Enter and a double click; 保存
// saves a copy where the user chooses. The arrow keys only move the highlight.
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
