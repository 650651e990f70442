#include "link/serial_sim.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "link/com_error.h"

namespace quillon {

namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

int64_t Unsigned(int32_t value) {
  return static_cast<int64_t>(static_cast<uint32_t>(value));
}

}  // namespace

void TSimulatedLine::Advance(int64_t ms) {
  if (ms > 0) now_ += ms;
  Deliver();
}

void TSimulatedLine::At(int64_t time, const std::string& bytes) {
  if (!bytes.empty()) pending_.emplace(time, bytes);
}

void TSimulatedLine::After(int64_t delay, const std::string& bytes) {
  At(now_ + std::max<int64_t>(delay, 0), bytes);
}

void TSimulatedLine::SetEcho(bool on, int64_t delay) {
  echo_ = on;
  echoDelay_ = delay;
}

void TSimulatedLine::OnRequest(const std::string& request, const std::string& answer,
                               int64_t delay) {
  answers_[request].emplace_back(answer, delay);
}

void TSimulatedLine::FailOn(TSimOp op, int nth, int systemCode) {
  failures_[op] = {std::max(nth, 1), systemCode};
}

void TSimulatedLine::ClearRecords() {
  written_.clear();
  requests_.clear();
  reads_.clear();
}

void TSimulatedLine::Check(TSimOp op, int errorNumber) {
  if (op != TSimOp::Open && !open_) throw EComPort(CE_PortNotOpen);
  if (Unplugged()) throw EComPort(errorNumber, op == TSimOp::Open ? ENOENT : EIO);
  auto it = failures_.find(op);
  if (it == failures_.end()) return;
  if (--it->second.first > 0) return;
  const int code = it->second.second;
  failures_.erase(it);
  throw EComPort(errorNumber, code);
}

void TSimulatedLine::Deliver() {
  auto end = pending_.upper_bound(now_);
  for (auto it = pending_.begin(); it != end; ++it)
    if (open_) queue_ += it->second;  // bytes sent to a closed port are lost
  pending_.erase(pending_.begin(), end);
}

int64_t TSimulatedLine::NextArrival() const {
  return pending_.empty() ? kNever : pending_.begin()->first;
}

int TSimulatedLine::Take(char* buffer, int count) {
  const int n = std::min<int>(count, static_cast<int>(queue_.size()));
  std::copy_n(queue_.data(), n, buffer);
  queue_.erase(0, static_cast<size_t>(n));
  return n;
}

void TSimulatedLine::Open(const std::string& name) {
  if (open_) return;
  if (busy_) throw EComPort(CE_OpenFailed, EBUSY);
  if (denied_) throw EComPort(CE_OpenFailed, EACCES);
  Check(TSimOp::Open, CE_OpenFailed);
  Deliver();
  open_ = true;
  openedName_ = name;
  ++openCount_;
  queue_.clear();
  currentLine_.clear();
}

void TSimulatedLine::Close() {
  open_ = false;
  queue_.clear();
}

void TSimulatedLine::SetQueueSizes(int, int) {
  if (!open_) throw EComPort(CE_PortNotOpen);
}

void TSimulatedLine::SetLineSettings(const TLineSettings& settings) {
  Check(TSimOp::SetLineSettings, CE_SetStateFailed);
  line_ = settings;
}

void TSimulatedLine::SetTimeouts(const TComTimeouts& timeouts) {
  Check(TSimOp::SetTimeouts, CE_TimeoutsFailed);
  timeouts_ = timeouts;
  ++timeoutChanges_;
}

void TSimulatedLine::Purge(bool input, bool) {
  Check(TSimOp::Purge, CE_PurgeFailed);
  ++purgeCount_;
  Deliver();
  if (input) queue_.clear();
}

int TSimulatedLine::Write(const char* data, int count) {
  Check(TSimOp::Write, CE_WriteFailed);
  int written = 0;
  for (; written < count; ++written) {
    if (writeBudget_ == 0) {
      // A stalled line: the write gives up after its total time-out.
      now_ +=
          Unsigned(timeouts_.WriteTotalConstant) + Unsigned(timeouts_.WriteTotalMultiplier) * count;
      break;
    }
    if (writeBudget_ > 0) --writeBudget_;
    WriteByte(data[written]);
  }
  Deliver();
  return written;
}

void TSimulatedLine::WriteByte(char c) {
  written_ += c;
  if (echo_) At(now_ + echoDelay_, std::string(1, c));
  if (c != '\r') {
    currentLine_ += c;
    return;
  }
  const std::string request = currentLine_;
  currentLine_.clear();
  LineComplete(request);
}

void TSimulatedLine::LineComplete(const std::string& request) {
  requests_.push_back(request);
  auto it = answers_.find(request);
  if (it != answers_.end() && !it->second.empty()) {
    size_t& use = answerUse_[request];
    const auto& [answer, delay] = it->second[std::min(use, it->second.size() - 1)];
    ++use;
    After(delay, answer);
  }
  if (responder_) responder_(request, *this);
}

int TSimulatedLine::Read(char* buffer, int count) {
  Check(TSimOp::Read, CE_ReadFailed);
  ReadRecord record;
  record.Start = now_;
  record.Requested = count;
  record.Timeouts = timeouts_;
  Deliver();
  const TComTimeouts& t = timeouts_;
  const int64_t interval = Unsigned(t.ReadInterval);
  const int64_t constant = Unsigned(t.ReadTotalConstant);
  const bool returnAtOnce = t.ReadInterval == -1 && t.ReadTotalMultiplier == 0 && constant == 0;
  const bool firstByteOnly = t.ReadInterval == -1 && t.ReadTotalMultiplier == -1 && constant > 0 &&
                             t.ReadTotalConstant != -1;
  const int64_t total =
      firstByteOnly ? constant : constant + Unsigned(t.ReadTotalMultiplier) * std::max(count, 0);
  const int64_t totalDeadline = total == 0 ? kNever : now_ + total;
  int got = 0;
  int64_t lastByte = now_;
  for (;;) {
    const int n = Take(buffer + got, count - got);
    if (n > 0) {
      got += n;
      lastByte = now_;
    }
    if (got >= count || returnAtOnce || (firstByteOnly && got > 0)) break;
    const int64_t gapDeadline = (got > 0 && interval > 0) ? lastByte + interval : kNever;
    const int64_t deadline = std::min(totalDeadline, gapDeadline);
    const int64_t arrival = NextArrival();
    const int64_t unplug = unplugTime_ >= 0 ? unplugTime_ : kNever;
    if (unplug <= arrival && unplug <= deadline && unplug != kNever) {
      now_ = std::max(now_, unplug);
      throw EComPort(CE_ReadFailed, EIO);
    }
    if (arrival <= deadline && arrival != kNever) {
      now_ = std::max(now_, arrival);
      Deliver();
      continue;
    }
    if (deadline == kNever)
      throw std::logic_error("simulated read would wait forever: nothing scheduled to arrive");
    now_ = deadline;
    break;
  }
  record.End = now_;
  record.Data.assign(buffer, static_cast<size_t>(got));
  reads_.push_back(record);
  return got;
}

int TSimulatedLine::QueuedInputCount() {
  Check(TSimOp::QueuedInputCount, CE_ClearComFailed);
  Deliver();
  return static_cast<int>(queue_.size());
}

}  // namespace quillon
