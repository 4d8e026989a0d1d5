#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// A yt-dlp of the tests' own: a script that answers each link with the JSON the test
// wrote for the link's video id (the text after "v="), after running the shell lines
// given for that id, and records its arguments. Naming it in MEDIAWIZ_YTDLP is the
// test's job (Program() is the value).
class FakeYtDlp {
public:
    // One offered file; an empty codec is left out of the answer.
    struct Offer {
        std::string id;
        std::string ext;
        std::string vcodec = "avc1";
        std::string acodec = "mp4a";
        int width = 0;
        int height = 0;
        std::string url;
        nlohmann::json headers = nullptr;
    };
    static Offer VideoOnly(const std::string& id, const std::string& ext, int width, int height,
                           const std::string& url);
    static Offer AudioOnly(const std::string& id, const std::string& ext, const std::string& url);

    // Writes the script into folder (a fresh one).
    explicit FakeYtDlp(const std::string& folder);

    const std::string& Program() const { return program_; }
    const std::string& Folder() const { return folder_; }
    void Resolves(const std::string& id, const std::string& title, const std::vector<Offer>& offers) const;
    // Shell lines run for the id before its JSON is printed.
    void Behaves(const std::string& id, const std::string& script) const;
    // The arguments of the last run, one a line.
    std::string Arguments() const;

private:
    std::string folder_;
    std::string program_;
};
