#include "kept_mail_viewer.h"

#include "app_info.h"
#include "controls.h"
#include "deleted_mail_dialog.h"
#include "messages.h"
#include "plain_text.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dialogs {

using namespace Qt::StringLiterals;

namespace {

QString sizeText(qint64 bytes)
{
    constexpr qint64 kMegabyte = 1024 * 1024;
    if (bytes < kMegabyte)
        return u"%1 KB"_s.arg((bytes + 1023) / 1024);
    return u"%1 MB"_s.arg(static_cast<double>(bytes) / kMegabyte, 0, 'f', 1);
}

QLabel* headerLabel(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setText(app::plainLine(text));
    label->setToolTip(app::plainToolTip(text));
    label->setMinimumWidth(1); // a long subject is cut by the window, not the other way round
    return label;
}

} // namespace

KeptMailViewer::KeptMailViewer(const QString& path, sweep::Messages& messages,
                               const DeletedMailDesktop& desktop, QWidget* owner)
    : QDialog(owner), m_path(path), m_message(mail::readKeptMessage(path)), m_messages(messages),
      m_desktop(desktop)
{
    setFont(app::uiFont());
    setWindowTitle(QCoreApplication::translate("dialogs", "削除したメールの表示"));

    auto* fields = new QFormLayout;
    From = headerLabel(this, m_message.from);
    To = headerLabel(this, m_message.to);
    Date = headerLabel(this, m_message.date);
    Subject = headerLabel(this, m_message.subject);
    fields->addRow(QCoreApplication::translate("dialogs", "差出人："), From);
    fields->addRow(QCoreApplication::translate("dialogs", "宛先："), To);
    fields->addRow(QCoreApplication::translate("dialogs", "日時："), Date);
    fields->addRow(QCoreApplication::translate("dialogs", "件名："), Subject);

    Note = new QLabel(this);
    Note->setTextFormat(Qt::PlainText);
    Note->setWordWrap(true);
    const QString note = m_message.error.isEmpty() ? m_message.note : m_message.error;
    Note->setText(app::plainLines(
        (m_message.bodyIsHtml
             ? QCoreApplication::translate(
                   "dialogs", "HTML のメールを文字だけで表示しています。画像やリンク先は読み"
                              "込みません。")
             : QString()) +
        note));
    Note->setVisible(!Note->text().isEmpty());

    Body = new QPlainTextEdit(this);
    Body->setObjectName(u"body"_s);
    Body->setReadOnly(true);
    Body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Body->setPlainText(app::plainLines(m_message.body, mail::kViewerBodyChars));

    Attachments = new QTreeWidget(this);
    Attachments->setRootIsDecorated(false);
    Attachments->setUniformRowHeights(true);
    Attachments->setHeaderLabels({QCoreApplication::translate("dialogs", "添付ファイル"),
                                  QCoreApplication::translate("dialogs", "種類"),
                                  QCoreApplication::translate("dialogs", "サイズ")});
    Attachments->header()->setStretchLastSection(false);
    Attachments->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (const mail::KeptAttachment& attachment : m_message.attachments) {
        auto* item = new QTreeWidgetItem(Attachments);
        item->setText(0, attachment.name.isEmpty()
                             ? QCoreApplication::translate("dialogs", "（名前なし）")
                             : app::plainLine(attachment.name));
        item->setToolTip(0, app::plainToolTip(attachment.name));
        item->setText(1, app::plainLine(attachment.type));
        item->setText(2, sizeText(attachment.size));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    Attachments->setVisible(!m_message.attachments.isEmpty());
    Attachments->setMaximumHeight(app::twips(1500));
    if (!m_message.attachments.isEmpty())
        Attachments->setCurrentItem(Attachments->topLevelItem(0));

    SaveAttachment =
        new QPushButton(QCoreApplication::translate("dialogs", "添付ファイルを保存"), this);
    SaveAttachment->setVisible(!m_message.attachments.isEmpty());
    SaveAttachment->setAutoDefault(false);
    OpenInMailProgram =
        new QPushButton(QCoreApplication::translate("dialogs", "メールソフトで開く"), this);
    OpenInMailProgram->setAutoDefault(false);
    CloseButton = new QPushButton(QCoreApplication::translate("dialogs", "閉じる"), this);
    CloseButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SaveAttachment);
    buttons->addStretch(1);
    buttons->addWidget(OpenInMailProgram);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Note);
    layout->addWidget(Body, 1);
    layout->addWidget(Attachments);
    layout->addLayout(buttons);

    connect(SaveAttachment, &QPushButton::clicked, this,
            &KeptMailViewer::saveHighlightedAttachment);
    connect(OpenInMailProgram, &QPushButton::clicked, this, &KeptMailViewer::openInMailProgram);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    resize(app::twips(9600), app::twips(7200));
    Body->setFocus();
}

void KeptMailViewer::saveHighlightedAttachment()
{
    QTreeWidgetItem* item = Attachments->currentItem();
    if (!item)
        return;
    const int index = Attachments->indexOfTopLevelItem(item);
    const QString name = m_message.attachments.value(index).name;
    const QString target =
        m_desktop.askSavePath(this, QDir::home().filePath(name.isEmpty() ? u"attachment"_s : name));
    if (target.isEmpty())
        return;
    QString error;
    if (!mail::saveKeptAttachment(m_path, index, target, &error)) {
        m_messages.showMessage(
            QCoreApplication::translate("dialogs", "添付ファイルを「%1」に保存できません（%2）。")
                .arg(QDir::toNativeSeparators(target), error));
    }
}

void KeptMailViewer::openInMailProgram()
{
    if (const QString error = m_desktop.openAsMail(m_path); !error.isEmpty())
        m_messages.showMessage(error);
}

} // namespace dialogs
