#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 (ephemeral port) that answers every request as its
// handler scripts it: any status, headers, body, announced length, delays, stalls and cuts.
// One request per connection; the connection closes after the answer.
class LoopbackServer {
public:
    struct Request {
        std::string method;
        std::string target; // as sent: path and query
        std::string head;   // request line and headers, CR LF form
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        // Value of a header (any case), or "" when absent.
        std::string Header(const std::string& name) const;
    };

    struct Reply {
        int status = 200;
        std::string reason = "OK";
        std::vector<std::string> headers; // "Name: value"
        std::string body;
        // Body bytes to send: body repeated to this size (-1: body as it is).
        std::int64_t size = -1;
        // Content-Length to announce: -1 the real size, -2 none (the close ends the body).
        std::int64_t announce = -1;
        // Close the connection after this many body bytes (-1: send all).
        std::int64_t cutAfter = -1;
        std::chrono::milliseconds delayBeforeHeaders{0};
        // After stallAfter body bytes, send nothing for stallFor.
        std::int64_t stallAfter = -1;
        std::chrono::milliseconds stallFor{0};
    };

    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    std::string URL(const std::string& target) const;
    std::vector<Request> Requests() const;

private:
    void acceptLoop();
    void serve(int fd);
    bool sendAll(int fd, const char* data, std::size_t size);
    // Sleeps up to d; false when the server is stopping.
    bool pause(std::chrono::milliseconds d);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex lock_; // guards everything below
    std::condition_variable stopCv_;
    std::vector<std::thread> connections_;
    std::vector<int> openFds_;
    std::vector<Request> requests_;
};
