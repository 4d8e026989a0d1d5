#include "download/PageText.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <memory>
#include <pcre2.h>
#include <stdexcept>

namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using Code = std::unique_ptr<pcre2_code, CodeDeleter>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

// A page pattern, compiled once; it works on bytes.
class PagePattern {
public:
    explicit PagePattern(std::string_view pattern) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), PCRE2_DOTALL,
                                  &error, &offset, nullptr));
        if (!code_)
            throw std::logic_error("bad page pattern");
    }

    // The whole text of the leftmost match, or empty.
    std::string FirstMatch(const std::string& subject) const {
        MatchData data(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
        if (!data)
            return {};
        const int rc = pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                                   0, 0, data.get(), nullptr);
        if (rc < 1)
            return {};
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        return subject.substr(ovector[0], ovector[1] - ovector[0]);
    }

private:
    Code code_;
};

constexpr std::string_view kTitleStart = "<meta name=\"title\" content=\"";

void EraseFirst(std::string& text, std::string_view what) {
    const std::size_t at = text.find(what);
    if (at != std::string::npos)
        text.erase(at, what.size());
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int more = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= bytes.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point.
        if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

} // namespace

std::string DecodePageBytes(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string ExtractTitle(const std::string& page) {
    static const PagePattern pattern(R"re(<meta name="title" content="([^<]+)">)re");
    std::string title = pattern.FirstMatch(page);
    if (title.empty())
        return {};
    EraseFirst(title, kTitleStart);
    EraseFirst(title, "\">");
    ReplaceAll(title, "&amp;", "&");
    ReplaceAll(title, "&gt;", ">");
    ReplaceAll(title, "&lt;", "<");
    ReplaceAll(title, "&quot;", "\"");
    ReplaceAll(title, "&nbsp;", " ");
    return title;
}

std::string BuildDownloadAddress(const std::string& page, const std::string& host) {
    static const PagePattern videoId("video_id=(.*?)&");
    static const PagePattern token("&t=(.*?)&");
    return "http://" + host + "/get_video?" + videoId.FirstMatch(page) + token.FirstMatch(page);
}

std::string DoubleFirstAmpersand(std::string text) {
    const std::size_t at = text.find('&');
    if (at != std::string::npos)
        text.insert(at, 1, '&');
    return text;
}
