#include "deleted_mail_dialog.h"

#include "app_info.h"
#include "controls.h"
#include "deleted_mail.h"
#include "desktop_opener.h"
#include "kept_mail_viewer.h"
#include "message_reader.h"
#include "messages.h"
#include "plain_text.h"
#include "text_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTreeWidget>

namespace dialogs {

using namespace Qt::StringLiterals;

namespace {

constexpr int kWidthTwips = 9600;
constexpr int kHeightTwips = 5400;

// Column widths in pixels: the moment, the sender, the subject, the size.
constexpr int kColumnWidths[] = {145, 185, 195, 60};

QString sizeText(qint64 bytes)
{
    constexpr qint64 kMegabyte = 1024 * 1024;
    if (bytes < kMegabyte)
        return u"%1 KB"_s.arg((bytes + 1023) / 1024);
    return u"%1 MB"_s.arg(static_cast<double>(bytes) / kMegabyte, 0, 'f', 1);
}

} // namespace

DeletedMailDesktop DeletedMailDesktop::real(sweep::Messages& messages)
{
    return {
        .view =
            [&messages](QWidget* owner, const QString& path) {
                const DeletedMailDesktop desktop = real(messages);
                KeptMailViewer viewer(path, messages, desktop, owner);
                viewer.exec();
            },
        .openAsMail =
            [](const QString& path) {
                if (!desktopHasApplicationFor(u"message/rfc822"_s)) {
                    return QCoreApplication::translate("dialogs", "削除したメールを開くメールソフトがありません。") + u"\r\n"_s +
                           QCoreApplication::translate("dialogs", "メール（.eml ファイル）を開けるメールソフトをインストールして"
                           "ください。");
                }
                return openWithApplicationFor(path, u"message/rfc822"_s);
            },
        .askSavePath =
            [](QWidget* owner, const QString& suggested) {
                return QFileDialog::getSaveFileName(owner, QCoreApplication::translate("dialogs", "削除したメールの保存"), suggested,
                                                    QCoreApplication::translate("dialogs", "メール (*.eml);;すべてのファイル (*)"));
            },
    };
}

DeletedMailDialog::DeletedMailDialog(const QString& folder, sweep::Messages& messages,
                                     DeletedMailDesktop desktop, QWidget* owner)
    : FixedDialog(owner, kWidthTwips, kHeightTwips), m_messages(messages),
      m_desktop(std::move(desktop))
{
    setFont(app::uiFont());
    setWindowTitle(QCoreApplication::translate("dialogs", "削除したメール"));

    List1 = new QTreeWidget(this);
    List1->setGeometry(app::twips(120), app::twips(120), app::twips(9360), app::twips(4560));
    List1->setRootIsDecorated(false);
    List1->setItemsExpandable(false);
    List1->setUniformRowHeights(true);
    List1->setAllColumnsShowFocus(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setHeaderLabels({QCoreApplication::translate("dialogs", "削除日時"), QCoreApplication::translate("dialogs", "差出人"), QCoreApplication::translate("dialogs", "件名"), QCoreApplication::translate("dialogs", "サイズ")});
    List1->header()->setSectionsMovable(false);
    List1->header()->setStretchLastSection(false);
    for (int column = 0; column < 4; ++column)
        List1->setColumnWidth(column, kColumnWidths[column]);
    List1->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);

    Label1 = app::makeLabel(this, QString(), app::kUiFontPoints, 120, 4845, 6600, 255);
    Command1 = makeButton(this, QCoreApplication::translate("dialogs", "開く"), 6840, 4800, 1275, 375);
    Command2 = makeButton(this, QCoreApplication::translate("dialogs", "保存"), 8205, 4800, 1275, 375);

    // Enter on the highlighted message, or a double click on it; moving the highlight does
    // nothing else.
    connect(List1, &QTreeWidget::itemActivated, this, [this] { openHighlighted(); });
    connect(Command1, &QPushButton::clicked, this, [this] { openHighlighted(); });
    connect(Command2, &QPushButton::clicked, this, [this] { saveHighlighted(); });

    load(folder);
}

void DeletedMailDialog::load(const QString& folder)
{
    const QList<sweep::DeletedMail::Kept> kept = sweep::DeletedMail(folder).list();
    for (const sweep::DeletedMail::Kept& message : kept) {
        const mail::MessageSummary summary = mail::readMessageSummary(message.path);
        auto* item = new QTreeWidgetItem(List1);
        item->setText(0, sweep::dateText(message.deletedAt));
        item->setData(0, Qt::UserRole, message.path);
        // What a message says is shown as plain text, one line, cut to what a cell can show.
        if (summary.error.isEmpty()) {
            item->setText(1, app::plainLine(summary.from));
            item->setText(2, app::plainLine(summary.subject));
        } else {
            item->setText(2, QCoreApplication::translate("dialogs", "（メールとして読めません）"));
        }
        // The columns cut long texts short; the tool tip shows them whole.
        item->setToolTip(1, app::plainToolTip(summary.from));
        item->setToolTip(
            2, app::plainToolTip(summary.error.isEmpty() ? summary.subject : summary.error));
        item->setText(3, sizeText(message.size));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }

    const sweep::DeletedMailLimits limits;
    if (kept.isEmpty()) {
        Label1->setText(QCoreApplication::translate("dialogs", "削除したメールはありません。"));
    } else {
        Label1->setText(
            QCoreApplication::translate("dialogs", "%1 通。削除してから %2 日間（合計 %3 MB まで）保存されます。").arg(kept.size())
                .arg(limits.maxAgeDays)
                .arg(limits.maxTotalBytes / (1024 * 1024)));
        // The newest is highlighted: Enter opens it at once.
        List1->setCurrentItem(List1->topLevelItem(0));
    }
    Command1->setEnabled(!kept.isEmpty());
    Command2->setEnabled(!kept.isEmpty());
}

QString DeletedMailDialog::highlightedPath() const
{
    const QTreeWidgetItem* item = List1->currentItem();
    return item && item->isSelected() ? item->data(0, Qt::UserRole).toString() : QString();
}

void DeletedMailDialog::openHighlighted()
{
    const QString path = highlightedPath();
    if (path.isEmpty())
        return;
    // The desktop's opener cannot tell a missing file: it would take it and fail out of sight.
    if (!QFileInfo(path).isFile()) {
        m_messages.showMessage(QCoreApplication::translate("dialogs", "削除したメール「%1」が見つかりません。保存期間を過ぎて削除され"
                               "た可能性があります。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_desktop.view(this, path);
}

void DeletedMailDialog::saveHighlighted()
{
    const QString path = highlightedPath();
    if (path.isEmpty())
        return;
    const QString target =
        m_desktop.askSavePath(this, QDir::home().filePath(QFileInfo(path).fileName()));
    if (target.isEmpty())
        return;

    QFile in(path);
    QSaveFile out(target);
    const auto failed = [&](const QString& reason) {
        m_messages.showMessage(QCoreApplication::translate("dialogs", "削除したメールを「%1」に保存できません（%2）。").arg(
            QDir::toNativeSeparators(target), reason));
    };
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString());
    if (!out.open(QIODevice::WriteOnly))
        return failed(out.errorString());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(64 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return failed(in.errorString());
        if (out.write(chunk) != chunk.size())
            return failed(out.errorString());
    }
    if (!out.commit())
        failed(out.errorString());
}

} // namespace dialogs
