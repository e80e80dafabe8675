#pragma once

#include <curl/curl.h>

#include <memory>

namespace mail {

// Owning handles for libcurl objects: each is freed with its own cleanup function.
struct CurlEasyDeleter {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
struct CurlSlistDeleter {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
struct CurlMultiDeleter {
    void operator()(CURLM* handle) const noexcept { curl_multi_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// Initialises libcurl's global state once per process, before the first handle is made.
// Returns false (and keeps returning false) when that initialisation failed.
bool ensureCurlGlobalInit();

} // namespace mail
