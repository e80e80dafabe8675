// Fuzz target: arbitrary bytes saved as a message file and read the way the sweep reads it,
// attachments written into a folder of their own. After each input the lines and the disk
// are checked, then everything written is removed. Each input is also made into a message
// whose header block holds a blocked sender's From field among the input's bytes: the reader
// must name that sender.

#include "fuzz_support.h"
#include "message_reader.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

// The folders of one fuzzing process: root holds the message file and box/, box holds only
// the attachment folder out/. A file written beside out/ or beside box/ shows as an extra
// entry. Removed when the process ends normally.
class Workspace {
public:
    Workspace()
    {
        if (!m_root.isValid() || !QDir(m_root.path()).mkpath(u"box/out"_s))
            fuzz::fail("cannot create the temporary workspace", m_root.errorString());
        m_message = m_root.filePath(u"message.eml"_s);
        m_folder = m_root.filePath(u"box/out"_s);
    }

    const QString& message() const { return m_message; }
    const QString& folder() const { return m_folder; }
    QString root() const { return m_root.path(); }
    QString box() const { return m_root.filePath(u"box"_s); }

private:
    QTemporaryDir m_root;
    QString m_message;
    QString m_folder;
};

Workspace& workspace()
{
    static Workspace instance; // one per process; libFuzzer runs inputs one after another
    return instance;
}

QStringList entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

void writeMessage(const QString& path, const uint8_t* data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        fuzz::fail("cannot write the message file", file.errorString());
}

bool isRegularFile(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

void checkFileLine(const QString& path, const QString& folder, QSet<QString>& seen)
{
    const QString prefix = folder + u'/';
    fuzz::require(path.startsWith(prefix), "a File: path lies outside the folder", path);
    const QString name = path.mid(prefix.size());
    fuzz::require(!name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/'),
                  "a File: path is not a file directly inside the folder", path);
    fuzz::require(!fuzz::hasControlCharacter(name) && !fuzz::hasLoneSurrogate(name),
                  "a saved file name holds control characters or broken text", path);
    fuzz::require(QFile::encodeName(name).size() <= 255, "a saved file name is too long", path);
    fuzz::require(isRegularFile(path), "a File: path is not a regular file", path);
    fuzz::require(!seen.contains(name), "a File: path is reported twice", path);
    seen.insert(name);
}

void checkLines(const mail::MessageReadResult& result, const Workspace& space)
{
    if (!result.lines) {
        fuzz::require(!result.error.isEmpty(), "a read that gave nothing says nothing about why");
        fuzz::require(entries(space.folder()).isEmpty(), "a failed read left attachments behind",
                      entries(space.folder()).join(u", "_s));
        return;
    }
    fuzz::require(result.error.isEmpty(), "a read that gave lines also reports an error",
                  result.error);
    QSet<QString> seen;
    for (qsizetype i = 0; i < result.lines->size(); ++i) {
        const QString& line = result.lines->at(i);
        if (line.startsWith(u"From:"_s)) {
            fuzz::require(i == 0, "a From: line is not the first line", line);
            const QString value = line.mid(5);
            fuzz::require(!fuzz::hasControlCharacter(value),
                          "the From: value holds a control character", line);
            fuzz::require(!fuzz::hasLoneSurrogate(value), "the From: value holds a lone surrogate",
                          line);
            fuzz::require(value == value.trimmed(), "the From: value is not trimmed", line);
        } else if (line.startsWith(u"File:"_s)) {
            checkFileLine(line.mid(5), space.folder(), seen);
        } else {
            fuzz::fail("a line starts with neither From: nor File:", line);
        }
    }
    const QStringList inFolder = entries(space.folder());
    fuzz::require(inFolder.size() == seen.size(),
                  "the folder holds files that no File: line reports", inFolder.join(u", "_s));
}

void checkNothingOutside(const Workspace& space)
{
    fuzz::require(entries(space.root()) == QStringList{u"box"_s, u"message.eml"_s},
                  "a file was created beside the attachment folder",
                  entries(space.root()).join(u", "_s));
    fuzz::require(entries(space.box()) == QStringList{u"out"_s},
                  "a file was created beside the attachment folder",
                  entries(space.box()).join(u", "_s));
}

// By full path: QDir would take a name that starts with ":" for a Qt resource.
void emptyFolder(const QString& folder)
{
    for (const QString& name : entries(folder)) {
        const QString path = folder + u'/' + name;
        if (::unlink(QFile::encodeName(path).constData()) != 0)
            fuzz::fail("cannot remove a saved attachment", path);
    }
}

// The input made into a message whose header block holds "From: <spam@junk.example>" as its
// one From field: the first half of the input as header lines before it (its empty lines left
// out, so that the block does not end there, and every f made an x, so that no other From
// field comes first), the second half after it (without leading blanks, which would fold
// onto the field).
QByteArray withBlockedSender(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype half = input.size() / 2;
    QByteArray message;
    for (QByteArray line : input.left(half).split('\n')) {
        if (line.isEmpty() || line == "\r")
            continue;
        message += line.replace('f', 'x').replace('F', 'X') + '\n';
    }
    QByteArray after = input.mid(half);
    while (after.startsWith(' ') || after.startsWith('\t'))
        after.remove(0, 1);
    return message + "From: <spam@junk.example>\r\n" + after;
}

// Whatever else the header holds, the sender a mail reader shows is the one the sweep judges:
// the address after the last "<" of the From line, as the sweep reads it.
void checkBlockedSender(const mail::MessageReadResult& result, const QByteArray& message)
{
    const QString shown = QString::fromLatin1(message.left(300));
    fuzz::require(result.lines.has_value(), "a message with a From field was not read", shown);
    const QString from = result.lines->isEmpty() ? QString() : result.lines->front();
    fuzz::require(from.startsWith(u"From:"_s), "a message with a From field gave no From line",
                  shown);
    QString address = from.mid(from.lastIndexOf(u'<') + 1);
    address.remove(u'>').remove(u' ');
    fuzz::require(address == u"spam@junk.example"_s, "the From line names another sender", from);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Workspace& space = workspace();
    writeMessage(space.message(), data, size);
    const mail::MessageReadResult result =
        mail::readMessageFile(space.message(), u">"_s + space.folder());
    checkLines(result, space);
    checkNothingOutside(space);
    emptyFolder(space.folder());

    const QByteArray blocked = withBlockedSender(data, size);
    writeMessage(space.message(), reinterpret_cast<const uint8_t*>(blocked.constData()),
                 static_cast<size_t>(blocked.size()));
    const mail::MessageReadResult judged =
        mail::readMessageFile(space.message(), u">"_s + space.folder());
    checkLines(judged, space);
    checkBlockedSender(judged, blocked);
    checkNothingOutside(space);
    emptyFolder(space.folder());
    return 0;
}
