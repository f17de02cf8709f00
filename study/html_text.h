#pragma once

// Texts put into the study's HTML page.

#include <string>
#include <string_view>

namespace duv {

// `text` with &, <, >, " and ' as character references: safe in content and quoted attributes.
std::string escapedHtml(std::string_view text);

// A relative path as a URL path: every byte but letters, digits, "-._~/" percent-encoded (a
// space, "#", "?", "%" and the bytes of non-ASCII names), backslashes first turned into slashes.
std::string urlOfPath(std::string_view path);

// `text` cut to at most `longest` characters (UTF-8 sequences kept whole), ending in "..." when
// cut.
std::string shortened(std::string_view text, std::size_t longest);

}  // namespace duv
