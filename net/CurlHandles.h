#pragma once

#include <curl/curl.h>
#include <memory>

// Owners of libcurl handles.
struct CurlEasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

struct CurlUrlDeleter {
    void operator()(CURLU* h) const { curl_url_cleanup(h); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

// A fresh easy handle, with libcurl's process-wide set-up done once before the first.
CurlEasy NewCurlEasy();
// Appends one line to a header list (the list starts out empty).
void AppendCurlList(CurlList& list, const char* line);
