#include "tests/host_emulator/text_escape.h"

#include <cstdio>
#include <stdexcept>

namespace duv::emulator {

std::string quoted(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        result += "\\\\";
        break;
      case '"':
        result += "\\\"";
        break;
      case '\n':
        result += "\\n";
        break;
      case '\r':
        result += "\\r";
        break;
      case '\t':
        result += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f') {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x",
                        static_cast<unsigned>(static_cast<unsigned char>(c)));
          result += hex;
        } else {
          result += c;
        }
    }
  }
  return result + "\"";
}

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  throw std::invalid_argument("broken \\x escape");
}

}  // namespace

std::string unescaped(std::string_view escaped) {
  std::string result;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\') {
      result += escaped[i];
      continue;
    }
    if (++i == escaped.size()) throw std::invalid_argument("escape at the end of the text");
    switch (escaped[i]) {
      case '\\':
        result += '\\';
        break;
      case '"':
        result += '"';
        break;
      case 'n':
        result += '\n';
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      case 'x':
        if (i + 2 >= escaped.size()) {
          throw std::invalid_argument("broken \\x escape");
        }
        result += static_cast<char>(hexDigit(escaped[i + 1]) * 16 + hexDigit(escaped[i + 2]));
        i += 2;
        break;
      default:
        throw std::invalid_argument(std::string("unknown escape \\") + escaped[i]);
    }
  }
  return result;
}

}  // namespace duv::emulator
