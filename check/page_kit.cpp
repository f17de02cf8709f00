#include "check/page_kit.h"

#include <algorithm>

#include "check/cell_text.h"

namespace duv {
namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes of the first `characters` characters of `text`.
std::size_t headBytes(std::string_view text, std::size_t characters) {
  std::size_t end = 0;
  for (std::size_t count = 0; end < text.size(); ++end) {
    if (!isContinuation(text[end]) && count++ == characters) break;
  }
  return end;
}

// The bytes of the last `characters` characters of `text`.
std::size_t tailBytes(std::string_view text, std::size_t characters) {
  std::size_t begin = text.size();
  for (std::size_t count = 0; begin > 0 && count < characters;) {
    --begin;
    if (!isContinuation(text[begin])) ++count;
  }
  return text.size() - begin;
}

// `name` shortened to `longest` characters keeping its last `tail` characters; the whole name
// when it fits or when its head would be gone.
std::string labelOf(const std::string& name, std::size_t longest, std::size_t tail) {
  if (characterCount(name) <= longest) return name;
  if (tail == 0) return shortened(name, longest);
  const std::size_t kept = longest > 3 ? longest - 3 : 0;
  if (tail >= kept) return name;
  return name.substr(0, headBytes(name, kept - tail)) + "..." +
         name.substr(name.size() - tailBytes(name, tail));
}

constexpr const char* kErrorScript = R"(<script>
window.addEventListener('error', function (event) {
  var root = document.documentElement;
  var what = event.message || ('cannot load ' + (event.target && event.target.tagName));
  root.setAttribute('data-errors', (root.getAttribute('data-errors') || '') + what + ';');
}, true);
</script>)";

}  // namespace

std::string escapedHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string urlOfPath(std::string_view path) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string url;
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      url += c;
    } else if (c == '\\') {
      url += '/';
    } else {
      const auto byte = static_cast<unsigned char>(c);
      url += '%';
      url += kDigits[byte >> 4];
      url += kDigits[byte & 15];
    }
  }
  return url;
}

std::string px(double value) { return fixedDecimals(value, 1); }

std::size_t characterCount(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !isContinuation(c); }));
}

std::string shortened(std::string_view text, std::size_t longest) {
  if (characterCount(text) <= longest) return std::string(text);
  const std::size_t kept = longest > 3 ? longest - 3 : 0;
  return std::string(text.substr(0, headBytes(text, kept))) + "...";
}

std::map<std::string, std::string> shortLabels(const std::vector<std::string>& names,
                                               std::size_t longest) {
  // Each name's kept end, in characters; 0 while it is cut at the end only. Names sharing a
  // label keep one character more of their ends each round: every round lengthens a tail, a
  // tail ends at the whole name, and whole names differ, so the rounds end.
  std::map<std::string, std::size_t> tails;
  for (const auto& name : names) tails.emplace(name, 0);
  while (true) {
    std::map<std::string, std::vector<std::string>> byLabel;
    for (const auto& [name, tail] : tails) byLabel[labelOf(name, longest, tail)].push_back(name);
    bool lengthened = false;
    for (const auto& [label, sharing] : byLabel) {
      if (sharing.size() < 2) continue;
      for (const auto& name : sharing) {
        if (label == name) continue;  // whole already
        ++tails[name];
        lengthened = true;
      }
    }
    if (!lengthened) break;
  }
  std::map<std::string, std::string> labels;
  for (const auto& [name, tail] : tails) labels.emplace(name, labelOf(name, longest, tail));
  return labels;
}

const char* statusColour(CheckStatus status) {
  switch (status) {
    case CheckStatus::ok:
      return "#3a7d44";
    case CheckStatus::medium:
      return "#a86c00";
    case CheckStatus::high:
      return "#d9480f";
    case CheckStatus::error:
    case CheckStatus::unreadable:
      return "#c0152f";
    case CheckStatus::failed:
      return "#7a0c1e";
  }
  return kTextColour;
}

const char* dotColour(CheckStatus status) {
  return status == CheckStatus::medium ? "#c98a00" : statusColour(status);
}

std::string pageStart(const std::string& title, const PageSpacing& spacing,
                      std::string_view style) {
  const std::string below = std::to_string(spacing.belowHeadings) + "px";
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
         escapedHtml(title) + "</title>" + kErrorScript +
         "<style>\n"
         "body { font: 14px/1.4 \"DejaVu Sans\", \"Segoe UI\", Helvetica, Arial, sans-serif; "
         "color: #222;\n"
         "       margin: 24px; background: #fff; }\n"
         "h1 { font-size: 22px; margin: 0 0 " +
         below + "; }\nh2 { font-size: 17px; margin: " + std::to_string(spacing.aboveSections) +
         "px 0 " + below +
         "; border-top: 1px solid #ccc; padding-top: 14px; }\n"
         "p.note, p.legend { color: #555; font-size: 12px; margin: 4px 0; }" +
         std::string(style) + "</style></head>\n<body><h1>" + escapedHtml(title) + "</h1>";
}

std::string pageEnd(PageDrawn drawn) {
  const bool images = drawn == PageDrawn::imagesDecoded;
  std::string script = "<script>\nwindow.addEventListener('load', function () {\n";
  script += images ? "  var images = Array.prototype.slice.call(document.images);\n"
                     "  var decoded = images.every(function (i) { return i.complete && "
                     "i.naturalWidth > 0; });\n"
                   : "  var drawn = true;\n";
  script +=
      "  document.querySelectorAll('[data-figure]').forEach(function (figure) {\n"
      "    var box = figure.getBoundingClientRect();\n";
  if (!images) script += "    drawn = drawn && box.width > 0 && box.height > 0;\n";
  script +=
      "    figure.setAttribute('data-box', [box.left + window.scrollX, box.top + window.scrollY,\n"
      "                                     box.width, box.height].map(Math.round).join(','));\n"
      "  });\n";
  if (images) script += "  var drawn = decoded && document.querySelector('svg') !== null;\n";
  script +=
      "  document.body.setAttribute('data-rendered', drawn ? 'ok' : 'incomplete');\n"
      "});\n"
      "</script>";
  return script + "\n</body></html>\n";
}

}  // namespace duv
