#pragma once

#include "LoopbackServer.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A video service of our own on 127.0.0.1 for the download tests. A video's page
// (/watch?v=ID) carries the title meta tag and the two keys; /get_video answers each
// quality as the test scripts it. Naming it in MEDIAWIZ_VIDEO_SERVICE is the test's job
// (Host() is the value).
class FakeVideoService {
public:
    // How /get_video answers one quality.
    enum class Answer {
        File,     // 200 with the video
        Redirect, // 302 to a file address that serves the video
        NotFound, // 404
        CutShort, // 200 that announces the whole video and closes after half of it
        Stall,    // 200 that sends half of the video, then nothing for a minute
    };
    // The quality key of the address without a "fmt" parameter.
    static constexpr int kDefaultFormat = -1;

    struct Video {
        std::string Id;
        std::string Title;             // the meta tag's content as written; empty: no tag
        bool Keys = true;              // the page carries video_id and t
        std::map<int, Answer> Formats; // by fmt number; a missing one answers 404
        std::int64_t Size = 64 * 1024; // bytes of each video file
        std::string Bytes;             // served as every format's file instead of made-up bytes
        int PageStatus = 200;
        std::chrono::milliseconds PageDelay{0}; // before the page's headers
        std::string PageBytes;                  // served as the page instead of the made one
    };

    FakeVideoService();

    void Add(const Video& video);
    // A video of the given title and formats, serving bytes (made-up ones when empty).
    void Add(const std::string& id, const std::string& title, std::map<int, Answer> formats,
             std::string bytes = {});
    std::string Host() const;                      // "127.0.0.1:PORT"
    std::string Link(const std::string& id) const; // the page link a user pastes
    // The bytes served for a video in a format.
    std::string Content(const std::string& id, int format) const;
    // The fmt numbers /get_video was asked for, in order (kDefaultFormat for none).
    std::vector<int> FormatRequests(const std::string& id) const;
    // How often the video's page was asked for.
    int PageRequests(const std::string& id) const;

private:
    LoopbackServer::Reply answer(const LoopbackServer::Request& request);
    LoopbackServer::Reply page(const std::string& id);
    LoopbackServer::Reply video(const std::map<std::string, std::string>& query);
    LoopbackServer::Reply file(const std::string& id, int format);

    mutable std::mutex lock_; // guards videos_ and the request records
    std::map<std::string, Video> videos_;
    std::map<std::string, std::vector<int>> requests_;
    std::map<std::string, int> pageRequests_;
    LoopbackServer server_; // last: it stops before the rest goes
};
