#include "plugin/hkzn_log.h"

#include <string>

HKZNLog::HKZNBuf::HKZNBuf(LogFunction logText) : logText_(logText) {}

HKZNLog::HKZNBuf::~HKZNBuf() {
  // A destructor must not throw, and copying the text may run out of memory; the text is lost
  // then, as it would be in a host that could not store it.
  try {
    deliver();
  } catch (...) {
  }
}

int HKZNLog::HKZNBuf::sync() {
  deliver();
  return 0;
}

// The host receives a copy: the text must stay valid for the whole call, while the buffer is
// ours to reset.
void HKZNLog::HKZNBuf::deliver() {
  const std::string text = str();
  if (logText_ != nullptr) logText_(text.c_str());
  str(std::string());
}

// The stream starts without a buffer because its base is built before the member that owns
// the buffer; attaching the buffer also clears the bad state that the missing buffer set.
HKZNLog::HKZNLog(LogFunction logText) : std::ostream(nullptr) {
  buffer_ = std::make_unique<HKZNBuf>(logText);
  rdbuf(buffer_.get());
}

// The member destroys the buffer, which delivers its last text, before the stream goes.
HKZNLog::~HKZNLog() = default;
