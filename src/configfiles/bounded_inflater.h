// Decompresses one zlib stream with a hard bound on its output: the output is produced in
// pieces of at most 1024 bytes, and after each piece the total is checked, so however the
// stream is built, no more than limit + 1024 bytes ever come out.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace quillon {

class TBoundedInflater {
 public:
  static constexpr size_t kPiece = 1024;

  enum TStatus {
    isMore,      // the stream goes on; feed more input
    isDone,      // the stream ended, checksum correct; input after it is ignored
    isTooLarge,  // more than the limit came out
    isCorrupt,   // not zlib data, a wrong checksum, or (after Finish) cut short
  };

  using Sink = std::function<void(const char* data, size_t size)>;

  TBoundedInflater(size_t limit, Sink sink);
  ~TBoundedInflater();
  TBoundedInflater(const TBoundedInflater&) = delete;
  TBoundedInflater& operator=(const TBoundedInflater&) = delete;

  // Input as it comes, in any slices. Once the status is final, further input changes nothing.
  TStatus Feed(const char* data, size_t size);
  // No more input: a stream still unfinished was cut short.
  TStatus Finish();

  TStatus Status() const { return status_; }
  size_t Produced() const { return produced_; }
  // What is wrong with the data, in English, for isCorrupt.
  const std::string& Error() const { return error_; }

 private:
  struct TState;
  void Fail(const std::string& error);

  std::unique_ptr<TState> state_;
  size_t limit_;
  Sink sink_;
  size_t produced_ = 0;
  bool started_ = false;
  TStatus status_ = isMore;
  std::string error_;
};

// Compresses text as one zlib stream at level 9 with the default window and memory level.
std::string DeflateBest(const std::string& text);

}  // namespace quillon
