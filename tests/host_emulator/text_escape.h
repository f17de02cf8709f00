#pragma once

#include <string>
#include <string_view>

namespace duv::emulator {

// `text` in double quotes with C escapes (\\, \", \n, \r, \t, \xNN for other control bytes),
// so that a record line shows every byte and stays one line.
std::string quoted(std::string_view text);

// The text that `escaped` stands for, with the same escapes; throws std::invalid_argument on a
// broken escape.
std::string unescaped(std::string_view escaped);

}  // namespace duv::emulator
