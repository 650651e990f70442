#include "configfiles/bounded_inflater.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace quillon {

struct TBoundedInflater::TState {
  z_stream z{};
  bool initialised = false;
};

TBoundedInflater::TBoundedInflater(size_t limit, Sink sink)
    : state_(std::make_unique<TState>()), limit_(limit), sink_(std::move(sink)) {
  if (inflateInit(&state_->z) == Z_OK)
    state_->initialised = true;
  else
    Fail("zlib could not be started");
}

TBoundedInflater::~TBoundedInflater() {
  if (state_->initialised) inflateEnd(&state_->z);
}

void TBoundedInflater::Fail(const std::string& error) {
  status_ = isCorrupt;
  error_ = error;
}

TBoundedInflater::TStatus TBoundedInflater::Feed(const char* data, size_t size) {
  if (status_ != isMore) return status_;
  if (size > 0) started_ = true;
  z_stream& z = state_->z;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
  // zlib counts input in 32 bits; larger slices go in turns.
  for (;;) {
    if (z.avail_in == 0 && size > 0) {
      const size_t slice = std::min<size_t>(size, 1u << 30);
      z.avail_in = static_cast<uInt>(slice);
      size -= slice;
    }
    char piece[kPiece];
    z.next_out = reinterpret_cast<Bytef*>(piece);
    z.avail_out = kPiece;
    const int rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = kPiece - z.avail_out;
    if (got > 0) {
      produced_ += got;
      if (sink_) sink_(piece, got);
    }
    if (produced_ > limit_) {
      status_ = isTooLarge;
      return status_;
    }
    if (rc == Z_STREAM_END) {
      status_ = isDone;
      return status_;
    }
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) {
      Fail(rc == Z_NEED_DICT ? "needs a preset dictionary" : (z.msg ? z.msg : "data error"));
      return status_;
    }
    if (rc == Z_MEM_ERROR) {
      Fail("out of memory");
      return status_;
    }
    // All input taken and nothing more pending: wait for the next slice.
    const bool inputGone = z.avail_in == 0 && size == 0;
    if (inputGone && (rc == Z_BUF_ERROR || got < kPiece)) break;
  }
  return status_;
}

TBoundedInflater::TStatus TBoundedInflater::Finish() {
  if (status_ != isMore) return status_;
  // Output still held inside zlib comes out without further input.
  Feed(nullptr, 0);
  if (status_ == isMore)
    Fail(started_ ? "the compressed data end too early (the file is cut short)"
                  : "the file is empty");
  return status_;
}

std::string DeflateBest(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                           reinterpret_cast<const Bytef*>(text.data()),
                           static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
  if (rc != Z_OK) throw std::runtime_error("zlib compression failed");
  out.resize(size);
  return out;
}

}  // namespace quillon
