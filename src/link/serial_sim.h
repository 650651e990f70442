// A simulated serial line with a virtual clock, for tests and tools that play the terminal.
//
// Nothing sleeps: every read advances the virtual clock exactly as the communications time-out
// rules say, so a test can check that a transaction waited 250 ms for the echo and then 250 ms
// for the answer without waiting at all. The script says what the terminal sends and when:
//
//   auto line = std::make_shared<TSimulatedLine>();
//   line->SetEcho(true);                                   // echo every byte written
//   line->OnRequest("AT+ABCD=?", "+RESP:ABCD,1,2\r\n>", 20);  // fixed answer after 20 ms
//   line->SetResponder([](const std::string& request, TSimulatedLine& l) {
//     if (request == "4817365") l.After(30, "\r\n>");         // or any logic of its own
//   });
//   line->At(1000, "+RESP:SNAV,...\r");                   // unsolicited bytes at t = 1000 ms
//   line->ShortWriteAfter(3);                              // the 4th byte written never goes out
//   line->FailOn(TSimOp::Read, 2);                         // the 2nd read from now fails
//   line->UnplugAt(400);                                   // the device vanishes at t = 400 ms
//   TComPort port(line);
//
// A request line is the bytes written since the previous CR (0x0D), without the CR.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/serial_platform.h"

namespace quillon {

enum class TSimOp { Open, SetLineSettings, SetTimeouts, Purge, Write, Read, QueuedInputCount };

class TSimulatedLine : public ISerialPlatform {
 public:
  using Responder = std::function<void(const std::string& request, TSimulatedLine& line)>;

  // One completed read, for checking time-outs.
  struct ReadRecord {
    int64_t Start = 0;
    int64_t End = 0;
    int Requested = 0;
    TComTimeouts Timeouts;
    std::string Data;
  };

  // --- the virtual clock ---
  int64_t Now() const { return now_; }
  // Lets time pass with nobody reading (the program idle); arrivals enter the input queue.
  void Advance(int64_t ms);

  // --- the terminal's side of the script ---
  void At(int64_t time, const std::string& bytes);      // bytes arrive at an absolute time
  void After(int64_t delay, const std::string& bytes);  // bytes arrive delay ms from now
  // Every byte written comes back after delay ms while echo is on.
  void SetEcho(bool on, int64_t delay = 0);
  // Called at the moment each request line is complete (its CR written).
  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // A fixed answer to one exact request line, delay ms after its CR; several calls for the same
  // request answer the repeats in turn, the last one staying in force.
  void OnRequest(const std::string& request, const std::string& answer, int64_t delay = 0);

  // --- faults ---
  // The line accepts this many more bytes; a write beyond them stops there after its write
  // time-out, as a stalled driver does. Negative: no limit again.
  void ShortWriteAfter(int bytes) { writeBudget_ = bytes; }
  // The nth call of the operation from now on throws EComPort with that system code.
  void FailOn(TSimOp op, int nth = 1, int systemCode = EIO);
  // The device vanishes at that time: every later operation fails, reopening too.
  void UnplugAt(int64_t time) { unplugTime_ = time; }
  void Unplug() { unplugTime_ = now_; }
  void Replug() { unplugTime_ = -1; }
  // Another program holds the device: opening it fails with EBUSY.
  void SetBusy(bool busy) { busy_ = busy; }
  // The user may not use the device: opening it fails with EACCES.
  void SetDenied(bool denied) { denied_ = denied; }

  // --- what the program did ---
  const std::string& Written() const { return written_; }
  std::vector<std::string> Requests() const { return requests_; }
  const std::vector<ReadRecord>& Reads() const { return reads_; }
  const std::string& OpenedName() const { return openedName_; }
  const TLineSettings& LineSettings() const { return line_; }
  const TComTimeouts& CurrentTimeouts() const { return timeouts_; }
  int OpenCount() const { return openCount_; }
  int PurgeCount() const { return purgeCount_; }
  int TimeoutChanges() const { return timeoutChanges_; }
  void ClearRecords();

  // --- ISerialPlatform ---
  void Open(const std::string& name) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  void SetQueueSizes(int inputSize, int outputSize) override;
  void SetLineSettings(const TLineSettings& settings) override;
  void SetTimeouts(const TComTimeouts& timeouts) override;
  void Purge(bool input, bool output) override;
  int Write(const char* data, int count) override;
  int Read(char* buffer, int count) override;
  int QueuedInputCount() override;
  int ReadinessHandle() const override { return -1; }
  int64_t NowMs() const override { return now_; }

 private:
  bool Unplugged() const { return unplugTime_ >= 0 && now_ >= unplugTime_; }
  void Check(TSimOp op, int errorNumber);
  void Deliver();
  int Take(char* buffer, int count);
  void WriteByte(char c);
  void LineComplete(const std::string& request);
  int64_t NextArrival() const;

  int64_t now_ = 0;
  std::multimap<int64_t, std::string> pending_;
  std::string queue_;
  bool echo_ = false;
  int64_t echoDelay_ = 0;
  Responder responder_;
  std::map<std::string, std::vector<std::pair<std::string, int64_t>>> answers_;
  std::map<std::string, size_t> answerUse_;
  std::string currentLine_;

  int writeBudget_ = -1;
  std::map<TSimOp, std::pair<int, int>> failures_;  // op -> (calls left until failure, code)
  int64_t unplugTime_ = -1;
  bool busy_ = false;
  bool denied_ = false;

  bool open_ = false;
  std::string openedName_;
  TLineSettings line_;
  TComTimeouts timeouts_;
  std::string written_;
  std::vector<std::string> requests_;
  std::vector<ReadRecord> reads_;
  int openCount_ = 0;
  int purgeCount_ = 0;
  int timeoutChanges_ = 0;
};

}  // namespace quillon
