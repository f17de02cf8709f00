#include "check/check_status.h"

#include <iterator>

namespace duv {
namespace {

constexpr CheckStatus kStatuses[] = {CheckStatus::ok,     CheckStatus::medium,
                                     CheckStatus::high,   CheckStatus::error,
                                     CheckStatus::failed, CheckStatus::unreadable};

}  // namespace

const char* statusName(CheckStatus status) {
  switch (status) {
    case CheckStatus::ok:
      return "ok";
    case CheckStatus::medium:
      return "medium";
    case CheckStatus::high:
      return "high";
    case CheckStatus::error:
      return "error";
    case CheckStatus::failed:
      return "failed";
    case CheckStatus::unreadable:
      return "unreadable";
  }
  return "";
}

std::optional<CheckStatus> statusNamed(std::string_view name) {
  for (const auto status : kStatuses) {
    if (name == statusName(status)) return status;
  }
  return std::nullopt;
}

CheckStatus statusOfLevel(std::optional<CheckLevel> level) {
  if (!level) return CheckStatus::ok;
  switch (*level) {
    case CheckLevel::medium:
      return CheckStatus::medium;
    case CheckLevel::high:
      return CheckStatus::high;
    case CheckLevel::error:
      return CheckStatus::error;
  }
  return CheckStatus::ok;
}

std::optional<CheckLevel> levelOfStatus(CheckStatus status) {
  switch (status) {
    case CheckStatus::medium:
      return CheckLevel::medium;
    case CheckStatus::high:
      return CheckLevel::high;
    case CheckStatus::error:
      return CheckLevel::error;
    default:
      return std::nullopt;
  }
}

}  // namespace duv
