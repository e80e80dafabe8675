#pragma once

#include <gmime/gmime.h>

#include <memory>

namespace mail {

// GMime's process-wide tables (charsets, iconv cache), made once for the life of the process.
void ensureGMimeInit();

struct ParserOptionsDeleter {
    void operator()(GMimeParserOptions* options) const noexcept
    {
        g_mime_parser_options_free(options);
    }
};
using ParserOptions = std::unique_ptr<GMimeParserOptions, ParserOptionsDeleter>;

// The parser options every reader of a saved message uses: loose RFC 2047 and parameter
// rules, and undeclared 8-bit text (attachment names too) tried as UTF-8, ISO-2022-JP, EUC-JP
// and CP932, in the order of undeclared header text.
ParserOptions makeParserOptions();

} // namespace mail
