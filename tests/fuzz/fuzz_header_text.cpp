// Fuzz target: arbitrary bytes as the raw text of a From header and as an attachment name.
// The first byte chooses what the rest is fed to, so one corpus serves all three.

#include "fuzz_support.h"
#include "header_text.h"
#include "safe_file.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

using namespace Qt::StringLiterals;

void checkDisplayText(const QString& text, const char* what)
{
    fuzz::require(!fuzz::hasControlCharacter(text), what, text);
    fuzz::require(!fuzz::hasLoneSurrogate(text), what, text);
    fuzz::require(text == text.trimmed(), what, text);
}

void checkAttachmentName(const QString& claimed)
{
    const QString name = mail::safeAttachmentName(claimed);
    fuzz::require(!name.isEmpty() && name != u"."_s && name != u".."_s,
                  "an attachment name is empty, \".\" or \"..\"", claimed + u" -> "_s + name);
    fuzz::require(!name.contains(u'/') && !name.contains(u'\\'),
                  "an attachment name holds a path separator", claimed + u" -> "_s + name);
    fuzz::require(!fuzz::hasControlCharacter(name) && !fuzz::hasLoneSurrogate(name),
                  "an attachment name holds control characters or broken text",
                  claimed + u" -> "_s + name);
    // Room for the "(n)" added on a clash within NAME_MAX (255 bytes).
    fuzz::require(QFile::encodeName(name).size() <= 200, "an attachment name is too long",
                  claimed + u" -> "_s + name);
    fuzz::require(mail::safeAttachmentName(name) == name,
                  "cleaning an attachment name twice differs", claimed + u" -> "_s + name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1,
                               static_cast<qsizetype>(size - 1));
    switch (data[0] % 3) {
    case 0:
        checkDisplayText(mail::decodeHeaderText(bytes), "a decoded header breaks the rules");
        break;
    case 1: {
        const QString text = mail::decodeUndeclaredBytes(bytes);
        fuzz::require(!fuzz::hasLoneSurrogate(text), "undeclared bytes give broken text", text);
        if (!bytes.contains('\x1b') && QString::fromUtf8(bytes).toUtf8() == bytes)
            fuzz::require(text == QString::fromUtf8(bytes), "valid UTF-8 is not kept as it is",
                          text);
        break;
    }
    default:
        // Attachment names arrive decoded from either kind of header text.
        checkAttachmentName(mail::decodeHeaderText(bytes));
        checkAttachmentName(mail::decodeUndeclaredBytes(bytes));
        break;
    }
    return 0;
}
