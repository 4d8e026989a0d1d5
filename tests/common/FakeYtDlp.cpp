#include "FakeYtDlp.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

FakeYtDlp::Offer FakeYtDlp::VideoOnly(const std::string& id, const std::string& ext, int width, int height,
                                      const std::string& url) {
    return {id, ext, "avc1", "none", width, height, url};
}

FakeYtDlp::Offer FakeYtDlp::AudioOnly(const std::string& id, const std::string& ext, const std::string& url) {
    return {id, ext, "none", "mp4a", 0, 0, url};
}

FakeYtDlp::FakeYtDlp(const std::string& folder) : folder_(folder + "/"), program_(folder_ + "yt-dlp") {
    WriteFile(program_, "#!/bin/sh\n"
                        "for link; do :; done\n"
                        "printf '%s\\n' \"$@\" > '" +
                            folder_ + "args'\n" + "id=${link##*v=}\n" + "[ -f '" + folder_ +
                            "'$id.sh ] && . '" + folder_ + "'$id.sh\n" + "cat '" + folder_ + "'$id.json\n");
    ::chmod(program_.c_str(), 0755);
}

void FakeYtDlp::Resolves(const std::string& id, const std::string& title,
                         const std::vector<Offer>& offers) const {
    nlohmann::json formats = nlohmann::json::array();
    for (const Offer& o : offers) {
        nlohmann::json f = {{"format_id", o.id}, {"ext", o.ext}};
        if (!o.vcodec.empty())
            f["vcodec"] = o.vcodec;
        if (!o.acodec.empty())
            f["acodec"] = o.acodec;
        if (o.width)
            f["width"] = o.width;
        if (o.height)
            f["height"] = o.height;
        if (!o.url.empty())
            f["url"] = o.url;
        if (!o.headers.is_null())
            f["http_headers"] = o.headers;
        formats.push_back(f);
    }
    WriteFile(folder_ + id + ".json",
              nlohmann::json{{"id", id}, {"title", title}, {"formats", formats}}.dump());
}

void FakeYtDlp::Behaves(const std::string& id, const std::string& script) const {
    WriteFile(folder_ + id + ".sh", script + "\n");
}

std::string FakeYtDlp::Arguments() const {
    std::ifstream in(folder_ + "args", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
