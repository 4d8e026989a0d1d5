#include "net/HTTPURL.h"

#include "net/HTTPText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Decodes valid %XX sequences; a lone "%" stays as it is.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Escape(const std::string& text, std::string_view specials) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b >= 0x80 || specials.find(ch) != std::string_view::npos) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

constexpr std::string_view kExtraSpecials = " #%*+<>";

int DefaultPort(const std::string& scheme) {
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    return 0;
}

} // namespace

std::string WithHTTPPrefix(const std::string& url) {
    if (url.find("://") != std::string::npos)
        return url;
    std::string prefixed("http://");
    prefixed += url;
    return prefixed;
}

bool CrackURL(const std::string& url, TCrackedURL& parts) {
    parts = {};
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos || schemeEnd == 0)
        return false;
    parts.Scheme = LowerCase(url.substr(0, schemeEnd));
    std::string_view rest = std::string_view(url).substr(schemeEnd + 3);
    const std::size_t fragment = rest.find('#');
    if (fragment != std::string_view::npos)
        rest = rest.substr(0, fragment);

    const std::size_t authorityEnd = std::min(rest.find('/'), rest.find('?'));
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view tail =
        authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t colon = userInfo.find(':');
        parts.Username = Unescape(userInfo.substr(0, colon));
        if (colon != std::string_view::npos)
            parts.Password = Unescape(userInfo.substr(colon + 1));
        authority = authority.substr(at + 1);
    }

    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        parts.Host = std::string(authority.substr(1, close - 1));
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return false;
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        parts.Host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos)
            portText = authority.substr(colon + 1);
    }
    parts.Port = DefaultPort(parts.Scheme);
    if (!portText.empty()) {
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), parts.Port);
        if (ec != std::errc() || end != portText.data() + portText.size() || parts.Port <= 0 ||
            parts.Port > 65535)
            return false;
    }
    if (parts.Host.empty() && parts.Scheme != "file")
        return false;

    const std::size_t query = tail.find('?');
    parts.Path = Unescape(tail.substr(0, query));
    if (query != std::string_view::npos)
        parts.Extra = Unescape(tail.substr(query));
    if (parts.Path.empty())
        parts.Path.push_back('/');
    return true;
}

std::string EscapeExtra(const std::string& text) {
    return Escape(text, kExtraSpecials);
}

std::string ObjectName(const TCrackedURL& parts) {
    std::string object = Escape(parts.Path, " #%*+<>?");
    if (!parts.Extra.empty()) {
        object += '?';
        object += EscapeExtra(parts.Extra.substr(1));
    }
    return object;
}
