#include "FakeVideoService.h"

namespace {

std::string Token(const std::string& id) {
    return "tok" + id;
}

// A video's content is this text repeated to its size.
std::string ContentUnit(const std::string& id, int format) {
    return id + "/" + std::to_string(format) + ";";
}

// "a=1&&b=2" as name and value pairs; empty pieces are skipped.
std::map<std::string, std::string> QueryOf(const std::string& target) {
    std::map<std::string, std::string> query;
    const std::size_t start = target.find('?');
    if (start == std::string::npos)
        return query;
    std::size_t at = start + 1;
    while (at <= target.size()) {
        std::size_t end = target.find('&', at);
        if (end == std::string::npos)
            end = target.size();
        const std::string piece = target.substr(at, end - at);
        const std::size_t eq = piece.find('=');
        if (!piece.empty())
            query[piece.substr(0, eq)] = eq == std::string::npos ? "" : piece.substr(eq + 1);
        at = end + 1;
    }
    return query;
}

LoopbackServer::Reply NotFound() {
    LoopbackServer::Reply r;
    r.status = 404;
    r.reason = "Not Found";
    r.body = "<html>no such video</html>";
    return r;
}

} // namespace

FakeVideoService::FakeVideoService()
    : server_([this](const LoopbackServer::Request& r) { return answer(r); }) {}

void FakeVideoService::Add(const Video& video) {
    std::lock_guard g(lock_);
    videos_[video.Id] = video;
}

std::string FakeVideoService::Host() const {
    return "127.0.0.1:" + std::to_string(server_.Port());
}

std::string FakeVideoService::Link(const std::string& id) const {
    return "http://" + Host() + "/watch?v=" + id;
}

std::string FakeVideoService::Content(const std::string& id, int format) const {
    std::int64_t size = 0;
    {
        std::lock_guard g(lock_);
        const Video& v = videos_.at(id);
        if (!v.Bytes.empty())
            return v.Bytes;
        size = v.Size;
    }
    const std::string unit = ContentUnit(id, format);
    std::string content;
    while (static_cast<std::int64_t>(content.size()) < size)
        content += unit;
    content.resize(static_cast<std::size_t>(size));
    return content;
}

std::vector<int> FakeVideoService::FormatRequests(const std::string& id) const {
    std::lock_guard g(lock_);
    const auto it = requests_.find(id);
    return it == requests_.end() ? std::vector<int>{} : it->second;
}

int FakeVideoService::PageRequests(const std::string& id) const {
    std::lock_guard g(lock_);
    const auto it = pageRequests_.find(id);
    return it == pageRequests_.end() ? 0 : it->second;
}

LoopbackServer::Reply FakeVideoService::answer(const LoopbackServer::Request& request) {
    const std::string& target = request.target;
    const std::map<std::string, std::string> query = QueryOf(target);
    if (target.rfind("/watch?", 0) == 0 && query.count("v"))
        return page(query.at("v"));
    if (target.rfind("/get_video?", 0) == 0)
        return video(query);
    if (target.rfind("/files/", 0) == 0) {
        const std::string rest = target.substr(7);
        const std::size_t slash = rest.find('/');
        if (slash != std::string::npos)
            return file(rest.substr(0, slash), std::stoi(rest.substr(slash + 1)));
    }
    return NotFound();
}

LoopbackServer::Reply FakeVideoService::page(const std::string& id) {
    std::lock_guard g(lock_);
    ++pageRequests_[id];
    const auto it = videos_.find(id);
    if (it == videos_.end())
        return NotFound();
    const Video& v = it->second;
    LoopbackServer::Reply r;
    r.status = v.PageStatus;
    r.reason = v.PageStatus == 200 ? "OK" : "Error";
    r.delayBeforeHeaders = v.PageDelay;
    r.headers.push_back("Content-Type: text/html");
    if (!v.PageBytes.empty()) {
        r.body = v.PageBytes;
        return r;
    }
    r.body = "<html>\n<head>\n";
    if (!v.Title.empty())
        r.body += "<meta name=\"title\" content=\"" + v.Title + "\">\n";
    r.body += "<title>Video</title>\n</head>\n<body>\n<script>\n";
    if (v.Keys)
        r.body += "var swfArgs = \"video_id=" + id + "&l=120&t=" + Token(id) + "&sk=1\";\n";
    r.body += "</script>\n</body>\n</html>\n";
    return r;
}

LoopbackServer::Reply FakeVideoService::video(const std::map<std::string, std::string>& query) {
    const auto id = query.find("video_id");
    const auto token = query.find("t");
    if (id == query.end() || token == query.end() || token->second != Token(id->second))
        return NotFound();
    const auto fmt = query.find("fmt");
    const int format = fmt == query.end() ? kDefaultFormat : std::stoi(fmt->second);
    Answer kind = Answer::NotFound;
    {
        std::lock_guard g(lock_);
        requests_[id->second].push_back(format);
        const auto v = videos_.find(id->second);
        if (v == videos_.end())
            return NotFound();
        const auto f = v->second.Formats.find(format);
        if (f == v->second.Formats.end())
            return NotFound();
        kind = f->second;
    }
    if (kind == Answer::Redirect) {
        LoopbackServer::Reply r;
        r.status = 302;
        r.reason = "Found";
        r.headers.push_back("Location: /files/" + id->second + "/" + std::to_string(format));
        return r;
    }
    if (kind == Answer::NotFound)
        return NotFound();
    LoopbackServer::Reply r = file(id->second, format);
    if (kind == Answer::CutShort)
        r.cutAfter = r.size / 2;
    if (kind == Answer::Stall) {
        r.stallAfter = r.size / 2;
        r.stallFor = std::chrono::minutes(1);
    }
    return r;
}

LoopbackServer::Reply FakeVideoService::file(const std::string& id, int format) {
    LoopbackServer::Reply r;
    {
        std::lock_guard g(lock_);
        const auto v = videos_.find(id);
        if (v == videos_.end())
            return NotFound();
        r.body = v->second.Bytes;
        r.size = v->second.Size;
    }
    r.headers.push_back("Content-Type: video/x-flv");
    if (r.body.empty())
        r.body = ContentUnit(id, format);
    else
        r.size = static_cast<std::int64_t>(r.body.size());
    return r;
}

void FakeVideoService::Add(const std::string& id, const std::string& title, std::map<int, Answer> formats,
                           std::string bytes) {
    Video video;
    video.Id = id;
    video.Title = title;
    video.Formats = std::move(formats);
    video.Bytes = std::move(bytes);
    Add(video);
}
