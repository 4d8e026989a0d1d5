#include "LoopbackServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

std::string LoopbackServer::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (Lower(key) == Lower(name))
            return value;
    return "";
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(addr.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard g(lock_);
        stopping_ = true;
        for (int fd : openFds_)
            ::shutdown(fd, SHUT_RDWR);
    }
    stopCv_.notify_all();
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    ::close(listenFd_);
    std::vector<std::thread> threads;
    {
        std::lock_guard g(lock_);
        threads.swap(connections_);
    }
    for (auto& t : threads)
        t.join();
}

std::string LoopbackServer::URL(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<LoopbackServer::Request> LoopbackServer::Requests() const {
    std::lock_guard g(lock_);
    return requests_;
}

void LoopbackServer::acceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (stopping_)
                return;
            continue;
        }
        std::lock_guard g(lock_);
        if (stopping_) {
            ::close(fd);
            return;
        }
        openFds_.push_back(fd);
        connections_.emplace_back([this, fd] { serve(fd); });
    }
}

bool LoopbackServer::pause(std::chrono::milliseconds d) {
    std::unique_lock g(lock_);
    return !stopCv_.wait_for(g, d, [&] { return stopping_.load(); });
}

bool LoopbackServer::sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void LoopbackServer::serve(int fd) {
    std::string in;
    char buf[8192];
    std::size_t headEnd;
    while ((headEnd = in.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        in.append(buf, static_cast<std::size_t>(n));
    }
    if (headEnd != std::string::npos) {
        Request req;
        req.head = in.substr(0, headEnd + 4);
        std::size_t lineEnd = req.head.find("\r\n");
        const std::string requestLine = req.head.substr(0, lineEnd);
        const auto sp1 = requestLine.find(' ');
        const auto sp2 = requestLine.rfind(' ');
        req.method = requestLine.substr(0, sp1);
        req.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        for (std::size_t pos = lineEnd + 2; pos < headEnd;) {
            lineEnd = req.head.find("\r\n", pos);
            const std::string line = req.head.substr(pos, lineEnd - pos);
            const auto colon = line.find(':');
            if (colon != std::string::npos)
                req.headers.emplace_back(Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)));
            pos = lineEnd + 2;
        }
        req.body = in.substr(headEnd + 4);
        const std::string lengthText = req.Header("Content-Length");
        const std::size_t want = lengthText.empty() ? 0 : std::stoul(lengthText);
        while (req.body.size() < want) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            req.body.append(buf, static_cast<std::size_t>(n));
        }
        {
            std::lock_guard g(lock_);
            requests_.push_back(req);
        }
        const Reply reply = handler_(req);
        const std::int64_t size = reply.size >= 0 ? reply.size : static_cast<std::int64_t>(reply.body.size());
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
        for (const std::string& h : reply.headers)
            head += h + "\r\n";
        if (reply.announce != -2)
            head += "Content-Length: " + std::to_string(reply.announce >= 0 ? reply.announce : size) + "\r\n";
        head += "Connection: close\r\n\r\n";
        bool ok = pause(reply.delayBeforeHeaders) && sendAll(fd, head.data(), head.size());
        // Body: the given text repeated to size, in pieces.
        std::string piece;
        if (!reply.body.empty())
            while (piece.size() < 256 * 1024)
                piece += reply.body;
        std::int64_t sent = 0;
        const std::int64_t limit = reply.cutAfter >= 0 ? std::min(reply.cutAfter, size) : size;
        bool stalled = false;
        while (ok && sent < limit && !piece.empty()) {
            std::int64_t n = std::min<std::int64_t>(limit - sent, static_cast<std::int64_t>(piece.size()));
            if (!stalled && reply.stallAfter >= 0) {
                if (sent == reply.stallAfter) {
                    stalled = true;
                    ok = pause(reply.stallFor);
                    continue;
                }
                if (sent < reply.stallAfter)
                    n = std::min(n, reply.stallAfter - sent);
            }
            const std::size_t from =
                static_cast<std::size_t>(sent % static_cast<std::int64_t>(reply.body.size()));
            n = std::min<std::int64_t>(n, static_cast<std::int64_t>(piece.size() - from));
            ok = sendAll(fd, piece.data() + from, static_cast<std::size_t>(n));
            sent += n;
        }
    }
    std::lock_guard g(lock_);
    openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}
