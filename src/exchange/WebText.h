#pragma once
// Texts made fit for the files an export writes for browsers and other
// programs: HTML text and attribute values, JSON strings, and the relative
// links between the exported files. Input is UTF-8.

#include <string>
#include <string_view>

// `text` with &, <, >, " and ' written as character references. Control
// characters other than tab and line breaks (which no page may hold) are left out.
std::string HtmlEscaped(std::string_view text);

// `text` as a JSON string, quotes included; control characters are escaped.
std::string JsonQuoted(std::string_view text);

// A relative path ('/' between its parts) as a URL path: every byte outside
// the unreserved characters, and outside `keep`, is percent-encoded, so a
// name can never end a link early, start a query or a fragment, or name a
// scheme.
std::string UrlEncoded(std::string_view path, std::string_view keep = "/");
