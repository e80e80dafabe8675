#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <utility>

namespace mail {

// An owned POSIX file descriptor, closed on destruction.
class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const noexcept { return m_fd; }
    bool isValid() const noexcept { return m_fd >= 0; }
    // Hands the descriptor to a new owner (for example a GMime stream that closes it).
    [[nodiscard]] int release() noexcept { return std::exchange(m_fd, -1); }
    // Closes now and reports whether the kernel accepted the last writes; errno on failure.
    bool close() noexcept;

private:
    int m_fd = -1;
};

// A file this program created and is writing; removed on destruction unless kept, so that an
// interrupted download or attachment never leaves a partial file behind.
class NewFile {
public:
    NewFile() = default;
    NewFile(UniqueFd fd, QString path) : m_fd(std::move(fd)), m_path(std::move(path)) {}
    NewFile(NewFile&& other) noexcept;
    NewFile& operator=(NewFile&& other) noexcept;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    int fd() const noexcept { return m_fd.get(); }
    const QString& path() const noexcept { return m_path; }
    UniqueFd& descriptor() noexcept { return m_fd; }
    // Closes the descriptor; false (errno set) when the last writes did not reach the disk.
    // The file is still removed on destruction unless keep() is called.
    bool closeFile() noexcept { return m_fd.close(); }
    // From now on the file stays.
    void keep() noexcept { m_kept = true; }
    // Removes the file now.
    void discard() noexcept;

private:
    UniqueFd m_fd;
    QString m_path;
    bool m_kept = false;
};

// The folder text the sweep passes is ">" + path; the marker is not part of the path.
QString folderFromArgument(const QString& folder);

// An open folder that files are created in by name, so that no name can point elsewhere.
class TargetFolder {
public:
    // Opens the folder; on failure isOpen() is false and error() says why.
    explicit TargetFolder(const QString& path);

    bool isOpen() const noexcept { return m_fd.isValid(); }
    const QString& path() const noexcept { return m_path; }
    const QString& error() const noexcept { return m_error; }

    // Creates name in the folder exclusively (never follows or reuses an existing entry);
    // on a clash tries "name(1).ext", "name(2).ext", ... Mode 0600: mail is private.
    // A name asked for again continues after the number it got last time, so that a message
    // with thousands of parts of one name costs one try per part, not one per earlier part.
    std::optional<NewFile> createNumbered(const QString& name, QString* error);

    // Creates a file with a fresh unique name made of prefix, random text and suffix.
    std::optional<NewFile> createUnique(const QString& prefix, const QString& suffix,
                                        QString* error) const;
    // Whether name has the form createUnique gives: prefix, random text, suffix.
    static bool isUniqueName(const QString& name, const QString& prefix, const QString& suffix);

private:
    std::optional<NewFile> createExact(const QString& name, int* savedErrno) const;

    QString m_path;
    UniqueFd m_fd;
    QString m_error;
    QHash<QString, int> m_nextNumber; // requested name -> first clash number still to try
};

// The file name an attachment may have in the folder: the last path component of what the
// message claims ("/" and "\" both count), control characters removed, never "", "." or
// "..", and short enough for the file system.
QString safeAttachmentName(const QString& claimed);

// Writes everything or fails with errno set.
bool writeAll(int fd, const char* data, size_t size) noexcept;

} // namespace mail
