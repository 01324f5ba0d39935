#include "exchange/WebText.h"

#include <cstdio>

namespace {

bool IsUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

std::string HtmlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if ((static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) || c == '\t' || c == '\n' ||
                c == '\r')
                out += c;
        }
    }
    return out;
}

std::string JsonQuoted(std::string_view text)
{
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string UrlEncoded(std::string_view path, std::string_view keep)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size() + path.size() / 4);
    for (char c : path) {
        if (IsUnreserved(c) || keep.find(c) != std::string_view::npos) {
            out += c;
        } else {
            auto b = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}
