#pragma once

// What the project's self-contained pages share: how text goes into them, and the script that
// records on <html data-errors> every script error and resource that failed to load (capture
// phase), for the browser tests.

#include <string>
#include <string_view>

namespace duv {

// `text` with &, <, >, " and ' as character references: safe in content and quoted attributes.
std::string escapedHtml(std::string_view text);

inline constexpr const char* kPageErrorScript = R"(<script>
window.addEventListener('error', function (event) {
  var root = document.documentElement;
  var what = event.message || ('cannot load ' + (event.target && event.target.tagName));
  root.setAttribute('data-errors', (root.getAttribute('data-errors') || '') + what + ';');
}, true);
</script>)";

}  // namespace duv
