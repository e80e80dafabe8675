// The deleted-mail dialog, keyed and clicked for real, over a real deleted/ folder filled the
// way the sweep fills it; and the real question to the desktop, against a desktop of the
// test's own.

#include "deleted_mail.h"
#include "deleted_mail_dialog.h"
#include "desktop_opener.h"
#include "recording_messages.h"
#include "text_helpers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using dialogs::DeletedMailDialog;

namespace {

const QDateTime kFirst(QDate(2026, 12, 1), QTime(8, 5, 9));

QByteArray mail(const QByteArray& from, const std::optional<QByteArray>& subject,
                const QByteArray& body = "Hello.\r\n")
{
    return "From: " + from + "\r\n" + (subject ? "Subject: " + *subject + "\r\n" : "") +
           "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
}

// What the dialog is asked to do with the desktop.
struct RecordingDesktop {
    QString openAsMailError;
    QString savePath;
    QStringList viewed;
    QStringList openedAsMail;

    dialogs::DeletedMailDesktop desktop()
    {
        return {
            .view = [this](QWidget*, const QString& path) { viewed << path; },
            .openAsMail =
                [this](const QString& path) {
                    openedAsMail << path;
                    return openAsMailError;
                },
            .askSavePath = [this](QWidget*, const QString&) { return savePath; },
        };
    }
};

class DeletedMailWindow : public ::testing::Test {
protected:
    DeletedMailWindow()
    {
        // Kept as the sweep keeps them, one a day, the oldest first.
        QDateTime now = kFirst;
        const sweep::DeletedMail deleted(folder(), [&now] { return now; });
        for (const QByteArray& bytes : messages) {
            const QString saved = data.filePath(u"saved.eml"_s);
            QFile file(saved);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            QString error;
            const std::optional<QString> pending = deleted.keepPending(saved, &error);
            EXPECT_TRUE(pending && deleted.commit(*pending, &error)) << error.toStdString();
            now = now.addDays(1);
        }
        // Not a kept message: not listed.
        QFile notes(QDir(folder()).filePath(u"notes.txt"_s));
        EXPECT_TRUE(notes.open(QIODevice::WriteOnly));
    }

    QString folder() const { return sweep::DeletedMail::folderIn(data.path()); }

    void show(DeletedMailDialog& dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.List1->setFocus();
    }

    QString highlightedText(const DeletedMailDialog& dialog, int column) const
    {
        return dialog.List1->currentItem() ? dialog.List1->currentItem()->text(column) : QString();
    }

    QTemporaryDir data;
    const QList<QByteArray> messages{
        mail("=?ISO-2022-JP?B?GyRCTEJPRyVhITwlaxsoQg==?= <sale@iso.example>",
             "=?ISO-2022-JP?B?GyRCRkMyQSROJCpDTiRpJDsbKEI=?="),
        mail("=?UTF-8?B?6L+35oORIOWkqumDjg==?= <spam@junk.example>",
             "=?UTF-8?Q?=E9=99=90=E5=AE=9A_sale?=", QByteArray(2 * 1024 * 1024, 'x') + "\r\n"),
        mail("bare@junk.example", std::nullopt),
    };
    RecordingMessages boxes;
    RecordingDesktop desktop;
};

TEST_F(DeletedMailWindow, ListsTheKeptMessagesNewestFirstWithDecodedTexts)
{
    DeletedMailDialog dialog(folder(), boxes, desktop.desktop(), nullptr);
    show(dialog);

    EXPECT_EQ(dialog.windowTitle(), u"削除したメール"_s);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    QStringList rows;
    for (int row = 0; row < dialog.List1->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = dialog.List1->topLevelItem(row);
        rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|');
    }
    EXPECT_EQ(rows,
              (QStringList{
                  sweep::dateText(kFirst.addDays(2)) + u"|bare@junk.example||1 KB"_s,
                  sweep::dateText(kFirst.addDays(1)) +
                      u"|迷惑 太郎 <spam@junk.example>|限定 sale|2.0 MB"_s,
                  sweep::dateText(kFirst) + u"|迷惑メール <sale@iso.example>|特価のお知らせ|1 KB"_s,
              }));
    EXPECT_EQ(dialog.Label1->text(),
              u"3 通。削除してから 30 日間（合計 500 MB まで）保存されます。"_s);
    // The widest moment shows whole; a cell pads its text by a few pixels.
    EXPECT_LE(dialog.List1->fontMetrics().horizontalAdvance(u"2026/12/28 23:59:59"_s) + 10,
              dialog.List1->columnWidth(0));
    EXPECT_EQ(highlightedText(dialog, 1), u"bare@junk.example"_s) << "the newest is highlighted";
    EXPECT_TRUE(dialog.Command1->isEnabled() && dialog.Command2->isEnabled());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(DeletedMailWindow, ArrowsOnlyMoveAndEnterOrOpenShowTheViewer)
{
    DeletedMailDialog dialog(folder(), boxes, desktop.desktop(), nullptr);
    show(dialog);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home,
                              Qt::Key_PageDown, Qt::Key_Up}) {
        QTest::keyClick(dialog.List1, key);
        ASSERT_TRUE(desktop.viewed.isEmpty()) << "key " << key;
    }
    const QString highlighted = dialog.List1->currentItem()->data(0, Qt::UserRole).toString();
    EXPECT_EQ(highlightedText(dialog, 1), u"迷惑 太郎 <spam@junk.example>"_s);

    QTest::keyClick(dialog.List1, Qt::Key_Return);
    ASSERT_EQ(desktop.viewed, QStringList{highlighted});
    QFile opened(highlighted);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll(), messages[1]) << "the real kept file, byte for byte";
    EXPECT_TRUE(dialog.isVisible());

    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(desktop.viewed.size(), 2);
    EXPECT_TRUE(desktop.openedAsMail.isEmpty()) << "開く never hands the file to another program";
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(DeletedMailWindow, SaveCopiesTheHighlightedMessageWhereTheUserChooses)
{
    DeletedMailDialog dialog(folder(), boxes, desktop.desktop(), nullptr);
    show(dialog);
    QTest::keyClick(dialog.List1, Qt::Key_End);
    QTemporaryDir elsewhere;
    struct Row {
        const char* situation;
        QString target;
        bool saved;
    } rows[] = {
        {"a new file", elsewhere.filePath(u"copy.eml"_s), true},
        {"over a file the user agreed to replace", elsewhere.filePath(u"copy.eml"_s), true},
        {"the user cancels", QString(), false},
        {"a folder that does not exist", elsewhere.filePath(u"no/such/copy.eml"_s), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        boxes.shown.clear();
        desktop.savePath = row.target;
        QTest::mouseClick(dialog.Command2, Qt::LeftButton);
        QFile copy(row.target);
        EXPECT_EQ(copy.open(QIODevice::ReadOnly) && copy.readAll() == messages[0], row.saved);
        EXPECT_EQ(boxes.shown.size(), row.saved || row.target.isEmpty() ? 0 : 1)
            << boxes.shown.join(u' ').toStdString();
    }
    EXPECT_TRUE(boxes.shown.value(0).startsWith(u"削除したメールを「"_s));
}

TEST(DeletedMailEmpty, EmptyFolderSaysSoAndOffersNothing)
{
    QTemporaryDir data;
    RecordingMessages boxes;
    RecordingDesktop desktop;
    DeletedMailDialog dialog(sweep::DeletedMail::folderIn(data.path()), boxes, desktop.desktop(),
                             nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.List1->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.Label1->text(), u"削除したメールはありません。"_s);
    EXPECT_FALSE(dialog.Command1->isEnabled());
    EXPECT_FALSE(dialog.Command2->isEnabled());
    QTest::keyClick(dialog.List1, Qt::Key_Return);
    EXPECT_TRUE(desktop.viewed.isEmpty());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

// The real question, `xdg-mime query default`, against a desktop of the test's own: one
// application registered for message/rfc822 in its cache of types, or none at all.
TEST(DesktopOpener, FindsAnApplicationOnlyWhereOneIsRegistered)
{
    const QByteArray variables[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",     "XDG_DATA_HOME",
                                    "XDG_DATA_DIRS",   "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"};
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved;
    for (const QByteArray& name : variables)
        saved.emplace_back(name, qEnvironmentVariableIsSet(name.constData())
                                     ? std::optional(qgetenv(name.constData()))
                                     : std::nullopt);
    struct Restore {
        decltype(saved)& values;
        ~Restore()
        {
            for (const auto& [name, value] : values) {
                if (value)
                    qputenv(name.constData(), *value);
                else
                    qunsetenv(name.constData());
            }
        }
    } restore{saved};

    QTemporaryDir desktop;
    const QDir root(desktop.path());
    ASSERT_TRUE(root.mkpath(u"config"_s) && root.mkpath(u"data/applications"_s));
    qputenv("XDG_CONFIG_HOME", root.filePath(u"config"_s).toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", root.filePath(u"config"_s).toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath(u"data"_s).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", root.filePath(u"data"_s).toLocal8Bit());
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");

    EXPECT_FALSE(dialogs::desktopHasApplicationFor(u"message/rfc822"_s));
    QFile cache(root.filePath(u"data/applications/mimeinfo.cache"_s));
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.write("[MIME Cache]\nmessage/rfc822=test-mail-reader.desktop;\n");
    cache.close();
    EXPECT_TRUE(dialogs::desktopHasApplicationFor(u"message/rfc822"_s));
    EXPECT_FALSE(dialogs::desktopHasApplicationFor(u"application/x-junkbane-nothing"_s));

    // The registered program gets the file by its type, whatever it holds or is named: a kept
    // HTML spam is no web page.
    const QString received = root.filePath(u"received"_s);
    QFile reader(root.filePath(u"reader.sh"_s));
    ASSERT_TRUE(reader.open(QIODevice::WriteOnly));
    reader.write("#!/bin/sh\nprintf '%s' \"$1\" > \"" + received.toLocal8Bit() + ".part\"\nmv \"" +
                 received.toLocal8Bit() + ".part\" \"" + received.toLocal8Bit() + "\"\n");
    reader.close();
    reader.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile entry(root.filePath(u"data/applications/test-mail-reader.desktop"_s));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Test mail reader\nExec=" +
                reader.fileName().toLocal8Bit() + " %f\nMimeType=message/rfc822;\n");
    entry.close();
    const QString spam = root.filePath(u"spam.html"_s);
    QFile html(spam);
    ASSERT_TRUE(html.open(QIODevice::WriteOnly));
    html.write("<html><body><img src=\"http://127.0.0.1:9/x.png\"></body></html>\n");
    html.close();
    EXPECT_EQ(dialogs::openWithApplicationFor(spam, u"message/rfc822"_s), QString());
    QFile got(received);
    for (int waited = 0; waited < 100 && !got.exists(); ++waited)
        QTest::qWait(50);
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(got.readAll()), spam);
    EXPECT_TRUE(dialogs::openWithApplicationFor(spam, u"application/x-junkbane-nothing"_s)
                    .contains(u"登録されていません"_s));
}

} // namespace
