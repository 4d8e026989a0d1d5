#include "net/WinHTTPTransfer.h"

#include "net/HTTPDate.h"
#include "net/HTTPText.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// curl reads the socket in pieces of this size at least; blocks of TransferBufferSize are cut from them.
constexpr long kMinCurlBuffer = 256 * 1024;
constexpr long kMaxCurlBuffer = CURL_MAX_READ_SIZE;
// A memory body is sized in advance to the announced length, up to this much.
constexpr std::int64_t kMaxReserve = std::int64_t{1} << 30;
// Header values longer than this count as absent.
constexpr std::size_t kMaxHeaderValue = 4095;
constexpr long kMaxRedirects = 20;

std::string RangeLine(std::int64_t start, std::int64_t end) {
    std::string line = "RANGE: bytes=" + std::to_string(start) + "-";
    if (end != 0)
        line += std::to_string(end);
    return line;
}

// "a;b c" (the bypass list's form) as libcurl's comma list.
std::string NoProxyList(const std::string& bypass) {
    std::string list;
    std::string item;
    for (char ch : bypass + ";") {
        if (ch == ';' || ch == ' ' || ch == ',') {
            if (!item.empty() && item != "<local>")
                list += (list.empty() ? "" : ",") + item;
            item.clear();
        } else {
            item += ch;
        }
    }
    return list;
}

// The name of a "Name: value" line ("" without a colon).
std::string_view HeaderName(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : TrimSpace(line.substr(0, colon));
}

bool IsReservedInvalidName(std::string host) {
    host = LowerCase(std::move(host));
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    return host == "invalid" || (host.size() > 8 && host.compare(host.size() - 8, 8, ".invalid") == 0);
}

} // namespace

const std::string* WinHTTPTransfer::Response::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (SameText(key, name))
            return &value;
    return nullptr;
}

void WinHTTPTransfer::checkpoint() {
    TEventWinThread* self = TEventWinThread::Current();
    if (self && self->Killed())
        throw EWinThreadKilled{};
    if (self && self->Terminated())
        throw Stopped{};
}

template <class F> bool WinHTTPTransfer::guarded(F&& work) {
    try {
        if (TEventWinThread* self = TEventWinThread::Current(); self && self->Terminated()) {
            stopRequested_ = true;
            return false;
        }
        return work();
    } catch (...) {
        // Nothing may unwind through libcurl: the exception is raised again after it returns.
        pending_ = std::current_exception();
        return false;
    }
}

std::size_t WinHTTPTransfer::blockSize() const {
    return static_cast<std::size_t>(std::max(255, http_.TransferBufferSize));
}

void WinHTTPTransfer::Execute() {
    run_.status = -1;
    run_.continueDownload = true;
    run_.contentType.clear();
    run_.startTick = Clock::now();
    TCrackedURL parts;
    const bool cracked = CrackURL(WithHTTPPrefix(http_.URL), parts);
    checkpoint();
    // Names in the reserved "invalid" domain never resolve; no resolver is asked (a named
    // proxy resolves names itself).
    if (!cracked || (http_.Proxy.AccessType != atUseProxy && IsReservedInvalidName(parts.Host)))
        return;
    username_ = parts.Username.empty() ? http_.Username : parts.Username;
    password_ = parts.Username.empty() ? http_.Password : parts.Password;
    if (parts.Scheme == "file") {
        readLocalFile(parts);
        return;
    }
    const std::string host = parts.Host.find(':') != std::string::npos ? "[" + parts.Host + "]" : parts.Host;
    url_ = parts.Scheme + "://" + host + ":" + std::to_string(parts.Port) + ObjectName(parts);
    for (;;) {
        perform(false);
        switch (next_) {
        case Next::Resend:
            continue;
        case Next::Probe: {
            // The server refused the resume range: is the file already complete?
            perform(true);
            const bool ok = probeStatus_ == 200 || probeStatus_ == 206;
            const std::int64_t fullLength = ok ? probeLength_ : 0;
            run_.status = probeStatus_;
            if (fullLength == run_.resumeFrom)
                return;
            run_.status = -1;
            run_.resumeFrom = 0;
            continue;
        }
        case Next::Restart:
            // The start of the resumed resource differs from the file: fetch it whole.
            run_.body.reset();
            run_.fileOpened = false;
            run_.memoryBody = false;
            run_.resumeFrom = 0;
            run_.bytesRead = 0;
            run_.status = -1;
            continue;
        case Next::Body:
        case Next::End:
            return;
        }
    }
}

void WinHTTPTransfer::readLocalFile(const TCrackedURL& parts) {
    for (;;) {
        THTTPFileStream source(parts.Path, TFileOpenMode::ReadOnly);
        const std::int64_t start = run_.resumeFrom != 0 ? run_.resumeFrom : http_.Range.StartRange;
        run_.lengthKnown = true;
        if (source.Opened()) {
            run_.status = 200;
            // What is left from the start, so a resumed file can complete.
            run_.contentLength = std::max<std::int64_t>(0, source.Size() - start);
            source.Seek(start);
        } else {
            run_.status = 404;
            run_.contentLength = 0;
        }
        checkpoint();
        openBodyTarget();
        if (!run_.body)
            return;
        std::vector<char> buffer(blockSize());
        next_ = Next::Body;
        for (;;) {
            checkpoint();
            const std::size_t n = source.Read(buffer.data(), buffer.size());
            if (n == 0 || !takeBlock(buffer.data(), n))
                break;
        }
        if (next_ != Next::Restart)
            return;
        run_.body.reset();
        run_.fileOpened = false;
        run_.memoryBody = false;
        run_.resumeFrom = 0;
        run_.bytesRead = 0;
    }
}

void WinHTTPTransfer::perform(bool probe) {
    CurlEasy easy = NewCurlEasy();
    easy_ = easy.get();
    probe_ = probe;
    block_ = {};
    finalSeen_ = false;
    next_ = Next::Body;
    stopRequested_ = false;
    probeStatus_ = -1;
    probeLength_ = 0;
    lastActivity_ = Clock::now();
    lastDown_ = lastUp_ = 0;
    checkpoint();
    configure(easy_, probe);
    if (!probe && http_.OnBeforeSendRequest && !http_.destroying())
        http_.OnBeforeSendRequest(&http_, easy_);
    const CurlList headers = requestHeaders(probe);
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers.get());
    checkpoint();
    const CURLcode rc = curl_easy_perform(easy_);
    easy_ = nullptr;
    easy.reset();
    if (pending_)
        std::rethrow_exception(std::exchange(pending_, nullptr));
    if (stopRequested_)
        checkpoint();
    if (!probe && next_ == Next::Body && rc != CURLE_OK && finalSeen_)
        run_.readFailed = true;
}

void WinHTTPTransfer::configure(CURL* easy, bool probe) {
    const TInternetOptions& options = http_.InternetOptions;
    curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, http_.Agent.c_str());
    if (!http_.Referer.empty())
        curl_easy_setopt(easy, CURLOPT_REFERER, http_.Referer.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, options.count(ioNoAutoRedirect) ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);

    if (!options.count(ioNoAuthentication)) {
        const std::string& user = loginFromProperties_ ? http_.Username : username_;
        const std::string& password = loginFromProperties_ ? http_.Password : password_;
        if (!user.empty() || !password.empty()) {
            curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
            curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
            curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
    }

    const TWinHTTPProxy& proxy = http_.Proxy;
    switch (proxy.AccessType) {
    case atPreconfig: // the standard proxy environment variables
        break;
    case atDirect:
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        break;
    case atUseProxy: {
        const std::string server = proxy.ProxyServer + ":" + std::to_string(proxy.ProxyPort);
        curl_easy_setopt(easy, CURLOPT_PROXY, server.c_str());
        // Set even when empty, so the environment's no-proxy list plays no part.
        curl_easy_setopt(easy, CURLOPT_NOPROXY, NoProxyList(proxy.ProxyBypass).c_str());
        break;
    }
    }
    if (!proxy.ProxyUsername.empty() || !proxy.ProxyPassword.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.ProxyUsername.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.ProxyPassword.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }

    if (options.count(ioIgnoreCertificateInvalid))
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    if (options.count(ioIgnoreUnknownCertificateAuthority))
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    if (http_.Timeouts.ConnectTimeout != 0)
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(http_.Timeouts.ConnectTimeout));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE,
                     std::clamp(static_cast<long>(http_.TransferBufferSize), kMinCurlBuffer, kMaxCurlBuffer));

    const bool post = !probe && (http_.RequestMethod == rmPOST ||
                                 (http_.RequestMethod == rmAutoDetect && !http_.POSTData.empty()));
    if (post) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(http_.POSTData.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, http_.POSTData.c_str());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &WinHTTPTransfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WinHTTPTransfer::onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &WinHTTPTransfer::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

CurlList WinHTTPTransfer::requestHeaders(bool probe) const {
    CurlList list;
    bool acceptAdded = false;
    for (const std::string& line : http_.AddHeaders) {
        if (TrimSpace(line).empty())
            continue;
        AppendCurlList(list, line.c_str());
        acceptAdded = acceptAdded || SameText(HeaderName(line), "Accept");
    }
    // An added Accept line replaces the accept types rather than following them.
    if (!http_.AcceptTypes.empty() && !acceptAdded)
        AppendCurlList(list, ("Accept: " + http_.AcceptTypes).c_str());
    if (probe)
        AppendCurlList(list, RangeLine(0, 0).c_str());
    else if (run_.resumeFrom != 0 || run_.rangeEnd != 0)
        AppendCurlList(list, RangeLine(run_.resumeFrom, run_.rangeEnd).c_str());
    else if (http_.Range.StartRange != 0 || http_.Range.EndRange != 0)
        AppendCurlList(list, RangeLine(http_.Range.StartRange, http_.Range.EndRange).c_str());
    if (!http_.POSTData.empty() && http_.RequestMethod != rmGET)
        AppendCurlList(list, "Content-Type: application/x-www-form-urlencoded");
    // No waiting for "100 Continue" before a form is sent.
    AppendCurlList(list, "Expect:");
    return list;
}

std::size_t WinHTTPTransfer::onHeader(char* buffer, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<WinHTTPTransfer*>(self);
    const std::size_t n = size * count;
    return t->guarded([&] { return t->headerLine(std::string_view(buffer, n)); }) ? n : 0;
}

std::size_t WinHTTPTransfer::onWrite(char* buffer, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<WinHTTPTransfer*>(self);
    const std::size_t n = size * count;
    return t->guarded([&] { return t->takeData(buffer, n); }) ? n : 0;
}

int WinHTTPTransfer::onProgress(void* self, curl_off_t, curl_off_t dlnow, curl_off_t ultotal,
                                curl_off_t ulnow) {
    auto* t = static_cast<WinHTTPTransfer*>(self);
    return t->guarded([&] { return t->watchdog(dlnow, ultotal, ulnow); }) ? 0 : 1;
}

// The receive and send time-outs are the longest quiet interval of the transfer.
bool WinHTTPTransfer::watchdog(curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    if (dlnow != lastDown_ || ulnow != lastUp_) {
        lastDown_ = dlnow;
        lastUp_ = ulnow;
        lastActivity_ = Clock::now();
    }
    // Blocks held back by the progress interval are reported once the data pauses.
    if (run_.body && !comparing_ && run_.bytesRead != reportedBytes_ && progressDue())
        reportProgress();
    const bool sending = ultotal > 0 && ulnow < ultotal;
    const std::uint32_t limitMs = sending ? http_.Timeouts.SendTimeout : http_.Timeouts.ReceiveTimeout;
    return limitMs == 0 || Clock::now() - lastActivity_ <= std::chrono::milliseconds(limitMs);
}

void WinHTTPTransfer::onMainThread(const std::function<void()>& call) {
    const auto start = Clock::now();
    http_.synchronize(call);
    // The main thread's time is no silence of the network: the quiet interval is moved past it.
    lastActivity_ += Clock::now() - start;
}

bool WinHTTPTransfer::headerLine(std::string_view line) {
    lastActivity_ = Clock::now();
    if (line.substr(0, 5) == "HTTP/") {
        block_ = {};
        block_.raw = std::string(line);
        const std::size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            const std::string_view code = line.substr(space + 1, 3);
            std::from_chars(code.data(), code.data() + code.size(), block_.status);
        }
        return true;
    }
    if (finalSeen_)
        return true; // trailers after the body
    block_.raw += line;
    if (TrimSpace(line).empty())
        return blockEnded();
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view value = TrimSpace(line.substr(colon + 1));
        if (value.size() <= kMaxHeaderValue)
            block_.headers.emplace_back(std::string(TrimSpace(line.substr(0, colon))), std::string(value));
    }
    return true;
}

bool WinHTTPTransfer::blockEnded() {
    const int code = block_.status;
    if (code >= 100 && code < 200)
        return true;
    const std::string* location = block_.Header("Location");
    if (code >= 300 && code < 400 && location && !http_.InternetOptions.count(ioNoAutoRedirect)) {
        if (http_.OnRedirected && !http_.destroying())
            http_.OnRedirected(&http_, resolveLocation(*location));
        return true;
    }
    finalSeen_ = true;
    if (probe_) {
        probeStatus_ = code;
        const std::string* length = block_.Header("Content-Length");
        if (length)
            std::from_chars(length->data(), length->data() + length->size(), probeLength_);
        return false;
    }
    return finalHeaders();
}

bool WinHTTPTransfer::finalHeaders() {
    const int code = block_.status;
    run_.status = code;
    if (code == 416 && run_.resumeFrom != 0) {
        next_ = Next::Probe;
        return false;
    }
    if (code == 401 && http_.OnPasswordRequest) {
        std::string realm;
        if (const std::string* challenge = block_.Header("WWW-Authenticate")) {
            const std::size_t start = challenge->find("=\"");
            if (start != std::string::npos && challenge->size() > start + 2)
                realm = challenge->substr(start + 2, challenge->size() - start - 3);
        }
        bool tryAgain = false;
        onMainThread([&] { http_.OnPasswordRequest(&http_, realm, tryAgain); });
        loginFromProperties_ = true;
        if (tryAgain) {
            next_ = Next::Resend;
            return false;
        }
    }
    if (code == 407 && http_.OnProxyAuthenticationRequest) {
        bool tryAgain = false;
        onMainThread([&] {
            http_.OnProxyAuthenticationRequest(&http_, http_.Proxy.ProxyUsername, http_.Proxy.ProxyPassword,
                                               tryAgain);
        });
        if (tryAgain) {
            next_ = Next::Resend;
            return false;
        }
    }

    const std::string* type = block_.Header("Content-Type");
    run_.contentType = type ? *type : std::string();
    run_.contentLength = 0;
    run_.lengthKnown = false;
    if (const std::string* length = block_.Header("Content-Length")) {
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(length->data(), length->data() + length->size(), value);
        run_.lengthKnown = ec == std::errc() && end == length->data() + length->size() && value >= 0;
        run_.contentLength = run_.lengthKnown ? value : 0;
    }
    if (!block_.Header("Content-Range"))
        run_.resumeFrom = 0; // the server sends the whole resource
    if (http_.OnHeaderInfo) {
        raiseHeaderInfo();
        if (!run_.continueDownload) {
            next_ = Next::End;
            return false;
        }
    }
    checkpoint();
    openBodyTarget();
    if (!run_.body) {
        next_ = Next::End;
        return false;
    }
    return true;
}

void WinHTTPTransfer::raiseHeaderInfo() {
    const auto text = [&](std::string_view name) {
        const std::string* value = block_.Header(name);
        return value ? *value : std::string();
    };
    const std::string language = text("Content-Language");
    const std::string encoding = text("Content-Encoding");
    const std::string location = text("Location");
    const std::string etag = text("ETag");
    const TDateTime date = HTTPDateToLocal(text("Date"));
    const TDateTime lastModified = HTTPDateToLocal(text("Last-Modified"));
    const TDateTime expires = HTTPDateToLocal(text("Expires"));
    const std::int64_t length = run_.contentLength + run_.resumeFrom;
    onMainThread([&] {
        http_.OnHeaderInfo(&http_, run_.status, block_.raw, run_.contentType, language, encoding, length,
                           location, date, lastModified, expires, etag, run_.continueDownload);
    });
}

void WinHTTPTransfer::openBodyTarget() {
    const bool ok = run_.status == 200 || run_.status == 206;
    if (ok && !http_.OutputFileName.empty()) {
        std::lock_guard g(run_.outputLock);
        if (run_.cleanedUp)
            throw EWinThreadKilled{}; // stopped at once: the file is no longer ours to create
        auto file = std::make_unique<THTTPFileStream>(http_.OutputFileName,
                                                      run_.resumeFrom == 0 ? TFileOpenMode::CreateNew
                                                                           : TFileOpenMode::OpenOrCreate);
        if (file->Opened() && file->Seek(run_.resumeFrom)) {
            run_.body = std::move(file);
            run_.fileOpened = true;
            run_.outputPath = http_.OutputFileName;
            comparing_ = run_.resumeFrom != 0;
            return;
        }
        run_.outputError = file->Error();
        if (run_.lengthKnown)
            return; // no body stream: reported as an output file error
    }
    auto memory = std::make_unique<THTTPMemoryStream>();
    if (run_.lengthKnown)
        memory->Reserve(std::min(run_.contentLength, kMaxReserve));
    run_.body = std::move(memory);
    run_.memoryBody = true;
}

bool WinHTTPTransfer::takeData(const char* data, std::size_t size) {
    lastActivity_ = Clock::now();
    if (!run_.body)
        return true; // a body that is no answer of ours, e.g. of an interim response
    // Blocks matter only for the resume check and the progress reports; without those
    // the whole piece is written at once.
    const std::size_t block = blockSize();
    std::size_t offset = 0;
    if (comparing_) {
        const std::size_t first = std::min(block, size);
        if (!takeBlock(data, first))
            return false;
        offset = first;
    }
    if (!http_.OnProgress)
        return offset == size || takeBlock(data + offset, size - offset);
    for (; offset < size; offset += block)
        if (!takeBlock(data + offset, std::min(block, size - offset)))
            return false;
    return true;
}

bool WinHTTPTransfer::takeBlock(const char* data, std::size_t size) {
    run_.bytesRead += static_cast<std::int64_t>(size);
    if (comparing_) {
        // The first block of a resume overlaps the file: it must match what is there.
        comparing_ = false;
        std::vector<char> onDisk(size);
        if (run_.body->Read(onDisk.data(), size) != size || std::memcmp(onDisk.data(), data, size) != 0) {
            next_ = Next::Restart;
            return false;
        }
        return true;
    }
    if (!run_.body->Write(data, size)) {
        if (const auto* file = dynamic_cast<const THTTPFileStream*>(run_.body.get())) {
            std::lock_guard g(run_.outputLock);
            run_.outputError = file->Error();
        }
        run_.readFailed = true;
        return false;
    }
    const bool last = run_.lengthKnown && run_.bytesRead >= run_.contentLength;
    if (last || progressDue())
        reportProgress();
    return true;
}

bool WinHTTPTransfer::progressDue() const {
    return Clock::now() - lastReport_ >= std::chrono::milliseconds(http_.ProgressIntervalMs);
}

void WinHTTPTransfer::reportProgress() {
    if (!http_.OnProgress)
        return;
    lastReport_ = Clock::now();
    reportedBytes_ = run_.bytesRead;
    onMainThread([&] {
        const TWinHTTPProgress p = ComputeProgress(
            run_.resumeFrom, run_.contentLength, run_.bytesRead,
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - run_.startTick));
        http_.OnProgress(&http_, run_.contentType, p.DataSize, p.BytesRead, p.ElapsedTime,
                         p.EstimatedTimeLeft, p.PercentsDone, p.TransferRate, run_.body.get());
    });
}

std::string WinHTTPTransfer::resolveLocation(const std::string& location) const {
    CurlUrl url(curl_url());
    char* effective = nullptr;
    if (!url || curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK || !effective ||
        curl_url_set(url.get(), CURLUPART_URL, effective, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(), CURLU_ALLOW_SPACE) != CURLUE_OK)
        return location;
    char* full = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &full, 0) != CURLUE_OK)
        return location;
    std::string result(full);
    curl_free(full);
    return result;
}
