#pragma once

#include "kept_message.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace sweep {
class Messages;
}

namespace dialogs {

struct DeletedMailDesktop;

// The read-only viewer of one kept message: its From, To, Date and Subject, its text body and
// its attachments by name and size, all as plain text. Nothing the message names is fetched,
// loaded or run: the body is text (HTML turned into text), attachments can only be saved.
// "メールソフトで開く" hands the file, as message/rfc822, to the mail program registered for
// that type.
class KeptMailViewer : public QDialog {
    Q_OBJECT

public:
    // desktop must outlive the viewer.
    KeptMailViewer(const QString& path, sweep::Messages& messages,
                   const DeletedMailDesktop& desktop, QWidget* owner);

    QLabel* From;
    QLabel* To;
    QLabel* Date;
    QLabel* Subject;
    QLabel* Note;
    QPlainTextEdit* Body;
    QTreeWidget* Attachments;
    QPushButton* SaveAttachment;
    QPushButton* OpenInMailProgram;
    QPushButton* CloseButton;

private:
    void saveHighlightedAttachment();
    void openInMailProgram();

    QString m_path;
    mail::KeptMessage m_message;
    sweep::Messages& m_messages;
    const DeletedMailDesktop& m_desktop;
};

} // namespace dialogs
