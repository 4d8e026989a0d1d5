#include "download/LinkList.h"

#include <algorithm>
#include <cctype>

bool IsVideoLink(const std::string& text, const TVideoService& service) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("http") != std::string::npos && lower.find(service.Domain) != std::string::npos;
}

std::vector<std::string> SplitPastedText(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    const auto endLine = [&] {
        if (!line.empty())
            lines.push_back(std::move(line));
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == '\0') {
            endLine();
            continue;
        }
        if (c == '"' || c == '\'') {
            const std::size_t close = text.find(c, i + 1);
            const std::size_t nul = text.find('\0', i + 1);
            if (close != std::string::npos && close < nul) {
                line.append(text, i, close - i + 1);
                i = close;
                continue;
            }
        }
        line += c;
    }
    endLine();
    return lines;
}

TLinkVerdict CheckNewLink(const std::vector<std::string>& listed, const std::string& text,
                          const TVideoService& service) {
    if (!IsVideoLink(text, service))
        return TLinkVerdict::NotVideoLink;
    if (std::find(listed.begin(), listed.end(), text) != listed.end())
        return TLinkVerdict::AlreadyListed;
    return TLinkVerdict::Add;
}

std::string_view LinkVerdictText(TLinkVerdict verdict) {
    switch (verdict) {
    case TLinkVerdict::NotVideoLink:
        return "This is not a YouTube video link.";
    case TLinkVerdict::AlreadyListed:
        return "This video is already in the download list.";
    case TLinkVerdict::Add:
        break;
    }
    return {};
}

std::string LinkRejectionText(const std::string& text, TLinkVerdict verdict) {
    if (verdict == TLinkVerdict::Add)
        return {};
    return text + "\n\r\n\r" + std::string(LinkVerdictText(verdict));
}
