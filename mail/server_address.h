#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mail {

// A POP3 server as the user wrote it, checked and split into what a connection needs.
struct ServerAddress {
    // How the connection is protected.
    enum class Security {
        StartTls,    // plain connection upgraded with STLS, which the server must offer
        ImplicitTls, // TLS from the first byte (pop3s)
        PlainText,   // no encryption at all: only when the user wrote pop3:// explicitly
    };

    QString host; // a checked host name, IPv4 literal, or IPv6 literal without brackets
    quint16 port = 0;
    Security security = Security::StartTls;
    bool ipv6Literal = false;

    // The URL handed to curl, built from the checked parts only. With a message number the
    // path names that message (curl retrieves it); without one the path is empty.
    QByteArray url(std::optional<int> messageNumber = std::nullopt) const;

    // One spelling per server, so that "host" and "host:110" are the same server when the
    // library remembers which message it judged.
    QString canonical() const;
};

// The outcome of reading the server text: an address, or why there is none.
struct ServerAddressParse {
    std::optional<ServerAddress> address;
    QString error; // set when address is empty; says what is wrong and how to write it
};

// Reads the server text the user typed. Never touches the network.
ServerAddressParse parseServerAddress(const QString& text);

} // namespace mail
