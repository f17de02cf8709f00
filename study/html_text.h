#pragma once

// Texts put into the study's HTML page (escapedHtml: check/html_page.h).

#include <string>
#include <string_view>

#include "check/html_page.h"

namespace duv {

// A relative path as a URL path: every byte but letters, digits, "-._~/" percent-encoded (a
// space, "#", "?", "%" and the bytes of non-ASCII names), backslashes first turned into slashes.
std::string urlOfPath(std::string_view path);

// `text` cut to at most `longest` characters (UTF-8 sequences kept whole), ending in "..." when
// cut.
std::string shortened(std::string_view text, std::size_t longest);

}  // namespace duv
