#include "net/CurlHandles.h"

#include <stdexcept>

CurlEasy NewCurlEasy() {
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK)
        throw std::runtime_error(curl_easy_strerror(init));
    CurlEasy easy(curl_easy_init());
    if (!easy)
        throw std::runtime_error("libcurl could not create a transfer handle");
    return easy;
}

void AppendCurlList(CurlList& list, const char* line) {
    curl_slist* grown = curl_slist_append(list.get(), line);
    if (!grown)
        throw std::bad_alloc();
    (void)list.release();
    list.reset(grown);
}
