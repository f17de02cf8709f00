#pragma once

// Where the workflows report progress: one call per message, with the message's literal (see
// workflow_texts.h, e.g. ">  Saved ") and its argument (the path). Each front end gives the
// message its own form: the plug-in sends it to the host's log, the tool to standard error.
// A sink may throw; the workflows let such errors pass.

#include <functional>
#include <string_view>

namespace duv {

using LogSink = std::function<void(std::string_view literal, std::string_view argument)>;

}  // namespace duv
