#pragma once

#include "mail_library.h"

#include <QString>

namespace mail {

// What reading one saved message gave: the lines for the sweep, or why there are none.
struct MessageReadResult {
    MailResult lines; // "From:" + value (when the message has a From header), then
                      // "File:" + path for each attachment saved
    QString error;    // set when lines is empty
};

// Reads a message file in place (its parts stay on disk, so memory does not grow with the
// message) and saves each attachment into folder. folder may carry the sweep's ">" marker.
MessageReadResult readMessageFile(const QString& file, const QString& folder);

// What a list of saved messages shows of one: its sender and subject, decoded the way the
// sweep decodes the sender.
struct MessageSummary {
    QString from;    // the From header's own text, as the sweep judged it; empty without one
    QString subject; // the Subject header, decoded; empty without one
    QString error;   // set when the file cannot be read as a message
};

// Reads the headers of a message file; only its head is read, however large the message.
MessageSummary readMessageSummary(const QString& file);

} // namespace mail
