#include "safe_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxClashNumber = 100000;
constexpr qsizetype kMaxNameBytes = 200; // below NAME_MAX (255) with room for "(12345)"

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The longest start of text that takes at most maxBytes in a file name, cut between
// characters. Counted forwards, so that a name of megabytes costs one pass, not one per byte.
QString leadingCharacters(const QString& text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype units =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate()
                ? 2
                : 1;
        bytes += QFile::encodeName(text.sliced(end, units)).size();
        if (bytes > maxBytes)
            break;
        end += units;
    }
    return text.left(end);
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    close();
}

bool UniqueFd::close() noexcept
{
    const int fd = std::exchange(m_fd, -1);
    if (fd < 0)
        return true;
    // No retry on EINTR: on Linux the descriptor is released even then.
    return ::close(fd) == 0;
}

NewFile::NewFile(NewFile&& other) noexcept
    : m_fd(std::move(other.m_fd)), m_path(std::move(other.m_path)),
      m_kept(std::exchange(other.m_kept, true))
{
}

NewFile& NewFile::operator=(NewFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_fd = std::move(other.m_fd);
        m_path = std::move(other.m_path);
        m_kept = std::exchange(other.m_kept, true);
    }
    return *this;
}

NewFile::~NewFile()
{
    discard();
}

void NewFile::discard() noexcept
{
    m_fd.close();
    if (!m_kept && !m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    m_kept = true;
}

QString folderFromArgument(const QString& folder)
{
    return folder.startsWith(u'>') ? folder.mid(1) : folder;
}

TargetFolder::TargetFolder(const QString& path) : m_path(QDir::cleanPath(path))
{
    if (path.isEmpty()) {
        m_error =
            QCoreApplication::translate("mail", "メールを保存するフォルダーが指定されていません。");
        return;
    }
    m_fd =
        UniqueFd(::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_fd.isValid())
        m_error =
            QCoreApplication::translate(
                "mail", "フォルダー「%1」を開けません（%2）。フォルダーがあることと、読み書きできる"
                        "ことを確認してください。")
                .arg(m_path, errnoText(errno));
}

std::optional<NewFile> TargetFolder::createExact(const QString& name, int* savedErrno) const
{
    const QByteArray encoded = QFile::encodeName(name);
    UniqueFd fd(::openat(m_fd.get(), encoded.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.isValid()) {
        *savedErrno = errno;
        return std::nullopt;
    }
    return NewFile(std::move(fd), m_path + u'/' + name);
}

std::optional<NewFile> TargetFolder::createNumbered(const QString& name, QString* error)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int n = m_nextNumber.value(name, 0); n <= kMaxClashNumber; ++n) {
        // Put together without arg(): a name holding "%1" or "%2" keeps them as written.
        const QString candidate =
            n == 0 ? name : base + u'(' + QString::number(n) + u')' + extension;
        int savedErrno = 0;
        if (auto file = createExact(candidate, &savedErrno)) {
            m_nextNumber.insert(name, n + 1);
            return file;
        }
        if (savedErrno != EEXIST) {
            *error =
                QCoreApplication::translate(
                    "mail", "フォルダー「%2」にファイル「%1」を作成できません（%3）。空き容量と書き"
                            "込み権限を確認してください。")
                    .arg(candidate, m_path, errnoText(savedErrno));
            return std::nullopt;
        }
    }
    m_nextNumber.insert(name, kMaxClashNumber + 1);
    *error =
        QCoreApplication::translate(
            "mail", "フォルダー「%2」にファイル「%1」を作成できません（同じ名前のファイルが多すぎ"
                    "ます）。フォルダー内の不要なファイルを削除してください。")
            .arg(name, m_path);
    return std::nullopt;
}

std::optional<NewFile> TargetFolder::createUnique(const QString& prefix, const QString& suffix,
                                                  QString* error) const
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            prefix + QString::number(QRandomGenerator::global()->generate64(), 36) + suffix;
        int savedErrno = 0;
        if (auto file = createExact(name, &savedErrno))
            return file;
        if (savedErrno != EEXIST) {
            *error =
                QCoreApplication::translate(
                    "mail", "フォルダー「%1」にファイルを作成できません（%2）。空き容量と書き込み"
                            "権限を確認してください。")
                    .arg(m_path, errnoText(savedErrno));
            return std::nullopt;
        }
    }
    *error =
        QCoreApplication::translate(
            "mail", "フォルダー「%1」に新しい名前のファイルを作成できません。フォルダー内の不要な"
                    "ファイルを削除してください。")
            .arg(m_path);
    return std::nullopt;
}

bool TargetFolder::isUniqueName(const QString& name, const QString& prefix, const QString& suffix)
{
    // The random text is a 64-bit number in base 36: 1 to 13 digits and small letters.
    if (!name.startsWith(prefix) || !name.endsWith(suffix))
        return false;
    const QStringView random = QStringView(name).sliced(prefix.size()).chopped(suffix.size());
    return !random.isEmpty() && random.size() <= 13 &&
           std::all_of(random.begin(), random.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z');
           });
}

QString safeAttachmentName(const QString& claimed)
{
    QString name = claimed;
    name.replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1);
    QString clean;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && !(u >= 0x7f && u <= 0x9f))
            clean += c;
    }
    clean = clean.trimmed();

    // Shorten from the end of the base name, keeping the extension that says what it is.
    if (QFile::encodeName(clean).size() > kMaxNameBytes) {
        const qsizetype dot = clean.lastIndexOf(u'.');
        QString extension = dot > 0 ? clean.mid(dot) : QString();
        if (QFile::encodeName(extension).size() > 20)
            extension.clear();
        const QString base = dot > 0 ? clean.left(dot) : clean;
        const qsizetype room = kMaxNameBytes - QFile::encodeName(extension).size();
        // What is left can be ".." (a long name after "..") or end in a space.
        clean = (leadingCharacters(base, room) + extension).trimmed();
    }
    if (clean.isEmpty() || clean == u"." || clean == u"..")
        clean = QStringLiteral("attachment");
    return clean;
}

bool writeAll(int fd, const char* data, size_t size) noexcept
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace mail
