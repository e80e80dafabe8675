#include "gmime_parser.h"

namespace mail {

void ensureGMimeInit()
{
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

ParserOptions makeParserOptions()
{
    ensureGMimeInit();
    ParserOptions options(g_mime_parser_options_new());
    const char* fallback[] = {"utf-8", "iso-2022-jp", "euc-jp", "cp932", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
    g_mime_parser_options_set_rfc2047_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    return options;
}

} // namespace mail
