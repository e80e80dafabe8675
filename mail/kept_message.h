#pragma once

#include <QList>
#include <QString>

namespace mail {

// One attachment of a kept message, as the viewer lists it.
struct KeptAttachment {
    QString name;    // the name it claims, last path component only; "" when it has none
    QString type;    // "image/png"
    qint64 size = 0; // decoded bytes
};

// What the read-only viewer shows of a kept message. Every text is decoded but not yet made
// fit to show (see app/plain_text.h).
struct KeptMessage {
    QString from, to, date, subject;
    QString body; // the text body (text/plain preferred, else HTML turned into text)
    bool bodyIsHtml = false;
    QList<KeptAttachment> attachments;
    QString note;  // what was not shown and why; "" when everything was
    QString error; // set when the file cannot be read as a message at all
};

// Bounds of what the viewer reads of one message: no mail needs more to be read by a person.
inline constexpr qint64 kViewerBodyBytes = 2 * 1024 * 1024; // decoded bytes of the body
inline constexpr qsizetype kViewerBodyChars = 1024 * 1024;  // characters of it shown
inline constexpr int kViewerMostParts = 500;                // parts looked at
inline constexpr int kViewerDeepestNesting = 50;            // parts inside parts

// Reads a kept message for the viewer: parsed in place from the file (memory stays bounded
// whatever its size: only the header, the body's first kViewerBodyBytes and one chunk at a
// time are held), never fetching, loading or running anything it names.
KeptMessage readKeptMessage(const QString& file);

// Writes the decoded content of attachment number index (in readKeptMessage's order) to
// target, replacing it only once it is whole. False, with error saying why, when it cannot.
bool saveKeptAttachment(const QString& file, int index, const QString& target, QString* error);

} // namespace mail
