#pragma once

#include "mail_library.h"

#include <QString>

namespace mail {

// What reading one saved message gave: the lines for the sweep, or why there are none.
struct MessageReadResult {
    MailResult lines; // "From:" + value (when the message has a From header), then
                      // "File:" + path for each attachment saved
    QString error;    // set when lines is empty
    // Set when lines were given but not every attachment was saved: what was left out and why
    // (too many, a full disk, a part too deep or too large to look into).
    QString unsaved;
};

// Reads a message file in place and saves its attachments into folder (which may carry the
// sweep's ">" marker). Memory stays bounded whatever the message holds: the parts are found
// by one pass over the file, only one part's header block is parsed at a time, contents are
// copied from the file as they are decoded, and a message with more parts or attachments
// than any mail needs is looked into only up to those bounds. The sender comes first: a
// message whose header can be read always gives its "From:" line.
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
