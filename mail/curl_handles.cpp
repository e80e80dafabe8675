#include "curl_handles.h"

namespace mail {

bool ensureCurlGlobalInit()
{
    // curl_global_cleanup is never called: the state lives as long as the process, and
    // other parts of the program may still hold handles while static objects are destroyed.
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

} // namespace mail
