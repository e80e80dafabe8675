#pragma once

// The baseline of the sweep benchmarks: what any POP3 client must do to fetch message n into
// a file, with nothing of the program around it. One session per call, as the sweep does:
// connect, log in, UIDL n, RETR n into a new file, QUIT.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <curl/curl.h>

#include <cstdio>
#include <memory>

namespace bench {

using namespace Qt::StringLiterals;

// Where and as whom the bare client logs in.
struct BarePop3 {
    QByteArray baseUrl; // "pop3://127.0.0.1:110/"
    QByteArray user;
    QByteArray password;
    bool startTls = false; // STLS before the login
    QByteArray caFile;     // trusted CA for STLS
    // Hands every piece to the file with its own write call, as it arrives from curl, instead
    // of through stdio's buffer: what an unbuffered sink costs.
    bool unbuffered = false;
};

namespace detail {
// Ends a curl session; on an open connection that sends QUIT.
struct CurlCleanup {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
// Closes a stdio file whose close nobody checked.
struct FileClose {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

inline size_t writeToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}
inline size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}
} // namespace detail

// Fetches message number into path (created anew) and returns the bytes written, or -1
// with the reason in *error.
inline qint64 bareFetch(const BarePop3& server, int number, const QString& path, QString* error)
{
    std::unique_ptr<CURL, detail::CurlCleanup> curl(curl_easy_init());
    if (!curl) {
        *error = u"curl_easy_init failed"_s;
        return -1;
    }
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, server.baseUrl.constData());
    curl_easy_setopt(h, CURLOPT_USERNAME, server.user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, server.password.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    if (server.startTls) {
        curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(h, CURLOPT_CAINFO, server.caFile.constData());
    }
    const QByteArray uidl = "UIDL " + QByteArray::number(number);
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, uidl.constData());
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &detail::discard);
    CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        *error = u"UIDL: %1"_s.arg(QString::fromUtf8(curl_easy_strerror(rc)));
        return -1;
    }

    std::unique_ptr<std::FILE, detail::FileClose> file(
        std::fopen(QFile::encodeName(path).constData(), "wbx"));
    if (!file) {
        *error = u"cannot create %1"_s.arg(path);
        return -1;
    }
    if (server.unbuffered)
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    const QByteArray retr = server.baseUrl + QByteArray::number(number);
    curl_easy_setopt(h, CURLOPT_URL, retr.constData());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
    curl_easy_setopt(h, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &detail::writeToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, file.get());
    rc = curl_easy_perform(h);
    curl.reset(); // QUIT
    if (rc != CURLE_OK) {
        *error = u"RETR: %1"_s.arg(QString::fromUtf8(curl_easy_strerror(rc)));
        return -1;
    }
    const long written = std::ftell(file.get());
    if (std::fclose(file.release()) != 0) {
        *error = u"cannot write %1"_s.arg(path);
        return -1;
    }
    return written;
}

} // namespace bench
