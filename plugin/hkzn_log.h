#pragma once

#include <memory>
#include <ostream>
#include <sstream>

// The output text stream whose text goes to the host's log. Text inserted into it waits in
// memory; each flush hands everything inserted since the previous flush to the host's log
// function in one call, the empty text included when nothing was inserted. Insertions never
// flush by themselves, so a message composed and then flushed reaches the host whole.
class HKZNLog : public std::ostream {
 public:
  using LogFunction = void (*)(const char* text);

  // `logText` receives the flushed texts; when it is null, flushed text is dropped.
  explicit HKZNLog(LogFunction logText);
  // Hands what is still unflushed, or the empty text, to the log function in one last call.
  ~HKZNLog() override;

  HKZNLog(const HKZNLog&) = delete;
  HKZNLog& operator=(const HKZNLog&) = delete;

 private:
  class HKZNBuf : public std::stringbuf {
   public:
    explicit HKZNBuf(LogFunction logText);
    ~HKZNBuf() override;

    HKZNBuf(const HKZNBuf&) = delete;
    HKZNBuf& operator=(const HKZNBuf&) = delete;

   protected:
    // Delivers the collected text and starts anew; always succeeds.
    int sync() override;

   private:
    // Hands the collected text to the log function and empties the buffer.
    void deliver();

    LogFunction logText_;
  };

  std::unique_ptr<HKZNBuf> buffer_;
};
