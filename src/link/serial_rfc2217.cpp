#include "link/serial_rfc2217.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/com_error.h"
#include "link/line_timeouts.h"
#include "link/net_connection.h"
#include "link/port_address.h"
#include "link/read_rules.h"
#include "link/telnet_codec.h"
#include "profile/fixed_texts.h"

namespace quillon {

using namespace telnet;

namespace {

std::string Byte(uint8_t value) {
  return std::string(1, static_cast<char>(value));
}

std::string BigEndian32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

uint32_t ReadBigEndian32(const std::string& bytes) {
  uint32_t value = 0;
  for (char c : bytes) value = (value << 8) | static_cast<uint8_t>(c);
  return value;
}

// The codes of the line settings in COM-PORT commands, and how messages show them.
uint8_t DataSizeCode(TDataBits bits) {
  return static_cast<uint8_t>(5 + static_cast<int>(bits));
}
uint8_t ParityCode(TParityBits parity) {
  return static_cast<uint8_t>(1 + static_cast<int>(parity));
}
uint8_t StopSizeCode(TStopBits bits) {
  switch (bits) {
    case sbOne5StopBits:
      return 3;
    case sbTwoStopBits:
      return 2;
    case sbOneStopBit:
      break;
  }
  return 1;
}
std::string ParityName(uint8_t code) {
  static constexpr std::array<const char*, 5> kNames = {"None", "Odd", "Even", "Mark", "Space"};
  return code >= 1 && code <= 5 ? kNames[code - 1] : std::to_string(code);
}
std::string StopSizeName(uint8_t code) {
  return code == 1 ? "1" : code == 2 ? "2" : code == 3 ? "1.5" : std::to_string(code);
}

// One line setting sent, and what its answer must say.
struct TExpected {
  uint8_t Command;
  std::string Value;
  TText Name;
  std::function<std::string(const std::string&)> Show;  // a value as messages show it
  bool Answered = false;
};

}  // namespace

class TSerialRfc2217::Private {
 public:
  TNetConnection net;
  std::unique_ptr<TTelnetCodec> codec;
  std::string data;    // received data bytes not read yet
  bool ended = false;  // the server closed the connection
  TComTimeouts timeouts;
  int32_t connectTimeout = ConnectTimeout(0);
  // Readiness: an epoll set of the socket and an event that is set while data waits.
  int epollFd = -1;
  int eventFd = -1;
  bool signalled = false;
  // Purges: data that left the server before its answer to a purge is stale. Whether the
  // server answers purges at all is learnt when the line settings go out.
  int purgesOwed = 0;
  bool answersPurges = false;
  bool probingPurges = false;
  // Answers of line settings while SetLineSettings waits for them.
  bool collecting = false;
  std::vector<TTelnetCodec::TComPortAnswer> answers;

  void Require() const {
    if (!net.IsOpen()) throw EComPort(CE_PortNotOpen);
  }
  int64_t CommandDeadline() const { return TNetConnection::NowMs() + connectTimeout; }

  [[noreturn]] void Closed(int number) const {
    throw EComPort(number, ECONNRESET, Text(TText::NetClosed, {net.Endpoint()}));
  }

  [[noreturn]] void Faulted(int number) const {
    switch (codec->Fault()) {
      case TTelnetFault::BinaryRefused:
        throw EComPort(number, 0, Text(TText::NetNoBinary, {net.Endpoint()}));
      case TTelnetFault::ComPortRefused:
        throw EComPort(number, 0, Text(TText::NetNoComPort, {net.Endpoint()}));
      case TTelnetFault::Broken:
      case TTelnetFault::None:
        break;
    }
    throw EComPort(number, 0, Text(TText::NetProtocolError, {net.Endpoint(), codec->Detail()}));
  }

  // Takes everything the socket holds: data into the queue, negotiation answered, COM-PORT
  // answers sorted out. A broken exchange throws EComPort with the given number.
  void Pump(int errorNumber) {
    char buffer[4096];
    while (!ended) {
      const int n = net.Receive(buffer, sizeof buffer);
      if (n < 0) ended = true;
      if (n <= 0) break;
      std::string fresh, reply;
      codec->Receive(buffer, static_cast<size_t>(n), fresh, reply);
      if (!reply.empty()) net.SendAll(reply, CommandDeadline());
      if (codec->Fault() != TTelnetFault::None) Faulted(errorNumber);
      Take(fresh, codec->TakeAnswers());
    }
    Signal();
  }

  void Take(const std::string& fresh, const std::vector<TTelnetCodec::TComPortAnswer>& got) {
    size_t keepFrom = 0;
    for (const auto& answer : got) {
      if (answer.Command == kPurgeData) {
        answersPurges = true;
        probingPurges = false;
        if (purgesOwed > 0 && --purgesOwed == 0) keepFrom = answer.DataBefore;
        continue;
      }
      if (answer.Command == kSetBaudRate && probingPurges) {
        // The purge went out before the rate: a server that answers purges has done so.
        probingPurges = false;
        purgesOwed = 0;
      }
      if (collecting) answers.push_back(answer);
    }
    if (purgesOwed == 0) data += fresh.substr(std::min(keepFrom, fresh.size()));
  }

  // Keeps the readiness event set exactly while data waits.
  void Signal() {
    if (eventFd < 0 || data.empty() != signalled) return;
    uint64_t value = 1;
    ssize_t done =
        signalled ? ::read(eventFd, &value, sizeof value) : ::write(eventFd, &value, sizeof value);
    (void)done;
    signalled = !signalled;
  }

  // Pumps until done() holds; false when the deadline passed first.
  bool PumpUntil(const std::function<bool()>& done, int64_t deadline, int errorNumber) {
    for (;;) {
      Pump(errorNumber);
      if (done()) return true;
      if (ended) Closed(errorNumber);
      const int64_t now = TNetConnection::NowMs();
      if (now >= deadline) return false;
      net.WaitReadable(MsUntil(deadline, now));
    }
  }

  void MakeReadiness() {
    epollFd = epoll_create1(EPOLL_CLOEXEC);
    eventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (epollFd < 0 || eventFd < 0) throw EComPort(CE_OpenFailed, errno);
    for (int fd : {net.Fd(), eventFd}) {
      epoll_event event{};
      event.events = EPOLLIN;
      event.data.fd = fd;
      if (epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) != 0) throw EComPort(CE_OpenFailed, errno);
    }
  }

  void Reset() {
    net.Close();
    for (int* fd : {&epollFd, &eventFd})
      if (*fd >= 0) {
        ::close(*fd);
        *fd = -1;
      }
    codec.reset();
    data.clear();
    ended = signalled = collecting = answersPurges = probingPurges = false;
    purgesOwed = 0;
    answers.clear();
  }

  // Compares each answer with what was sent; the first that differs is named.
  void Check(std::vector<TExpected>& expected) {
    for (const auto& answer : answers) {
      auto it = std::find_if(expected.begin(), expected.end(), [&](const TExpected& e) {
        return !e.Answered && e.Command == answer.Command;
      });
      if (it == expected.end()) continue;  // an answer to DTR or RTS, or one not asked for
      it->Answered = true;
      if (answer.Value != it->Value)
        throw EComPort(
            CE_SetStateFailed, 0,
            Text(TText::NetSettingRefused,
                 {net.Endpoint(), Text(it->Name), it->Show(it->Value), it->Show(answer.Value)}));
    }
    answers.clear();
  }
};

TSerialRfc2217::TSerialRfc2217() : d_(std::make_unique<Private>()) {}

TSerialRfc2217::~TSerialRfc2217() {
  d_->Reset();
}

void TSerialRfc2217::SetConnectTimeout(int32_t ms) {
  d_->connectTimeout = ms;
}

void TSerialRfc2217::Open(const std::string& name) {
  if (d_->net.IsOpen()) return;
  TPortAddress address;
  std::string error;
  if (!ParsePortAddress(name, address, error)) throw EComPort(CE_OpenFailed, 0, error);
  const int64_t deadline = TNetConnection::NowMs() + d_->connectTimeout;
  d_->net.Connect(address, d_->connectTimeout);
  try {
    d_->codec = std::make_unique<TTelnetCodec>(true);
    d_->net.SendAll(d_->codec->Start(), deadline);
    if (!d_->PumpUntil([this] { return d_->codec->Ready(); }, deadline, CE_OpenFailed))
      throw EComPort(
          CE_OpenFailed, ETIMEDOUT,
          Text(TText::NetNoAnswer, {d_->net.Endpoint(), std::to_string(d_->connectTimeout)}));
    d_->MakeReadiness();
    d_->Signal();
  } catch (...) {
    d_->Reset();
    throw;
  }
}

void TSerialRfc2217::Close() {
  d_->Reset();
}

bool TSerialRfc2217::IsOpen() const {
  return d_->net.IsOpen();
}

void TSerialRfc2217::SetQueueSizes(int, int) {
  d_->Require();
}

// The purge goes first, so that its answer, if the server gives one, comes before the rate's:
// that tells whether later purges will be answered. DTR and RTS go last and unchecked: a server
// in front of a port without modem lines (a pseudo-terminal) does not answer them.
void TSerialRfc2217::SetLineSettings(const TLineSettings& s) {
  d_->Require();
  const auto number = [](const std::string& v) { return std::to_string(ReadBigEndian32(v)); };
  const auto code = [](const std::string& v) {
    return v.size() == 1 ? std::to_string(static_cast<uint8_t>(v[0])) : std::string("?");
  };
  const auto parity = [](const std::string& v) {
    return v.size() == 1 ? ParityName(static_cast<uint8_t>(v[0])) : std::string("?");
  };
  const auto stop = [](const std::string& v) {
    return v.size() == 1 ? StopSizeName(static_cast<uint8_t>(v[0])) : std::string("?");
  };
  std::vector<TExpected> expected = {
      {kSetBaudRate, BigEndian32(static_cast<uint32_t>(s.BaudRate)), TText::NetBaudRate, number},
      {kSetDataSize, Byte(DataSizeCode(s.DataBits)), TText::NetDataSize, code},
      {kSetParity, Byte(ParityCode(s.Parity)), TText::NetParity, parity},
      {kSetStopSize, Byte(StopSizeCode(s.StopBits)), TText::NetStopSize, stop},
      {kSetControl, Byte(kControlNoFlow), TText::NetFlowControl, code},
  };
  std::string out = TTelnetCodec::ComPortCommand(kPurgeData, Byte(kPurgeReceive | kPurgeTransmit));
  for (const TExpected& e : expected) out += TTelnetCodec::ComPortCommand(e.Command, e.Value);
  out += TTelnetCodec::ComPortCommand(kSetControl, Byte(kControlDtrOff));
  out += TTelnetCodec::ComPortCommand(kSetControl, Byte(kControlRtsOff));

  const int64_t deadline = d_->CommandDeadline();
  d_->answers.clear();
  d_->collecting = true;
  ++d_->purgesOwed;
  d_->probingPurges = !d_->answersPurges;
  try {
    d_->net.SendAll(out, deadline);
    const bool answered = d_->PumpUntil(
        [&] {
          d_->Check(expected);
          return std::all_of(expected.begin(), expected.end(),
                             [](const TExpected& e) { return e.Answered; });
        },
        deadline, CE_SetStateFailed);
    d_->collecting = false;
    if (!answered)
      throw EComPort(
          CE_SetStateFailed, ETIMEDOUT,
          Text(TText::NetNoAnswer, {d_->net.Endpoint(), std::to_string(d_->connectTimeout)}));
  } catch (...) {
    d_->collecting = false;
    throw;
  }
}

void TSerialRfc2217::SetTimeouts(const TComTimeouts& timeouts) {
  d_->Require();
  d_->timeouts = timeouts;
}

void TSerialRfc2217::Purge(bool input, bool output) {
  d_->Require();
  const uint8_t which = (input ? kPurgeReceive : 0) | (output ? kPurgeTransmit : 0);
  if (which == 0) return;
  d_->net.SendAll(TTelnetCodec::ComPortCommand(kPurgeData, Byte(which)), d_->CommandDeadline());
  if (!input) return;
  if (d_->answersPurges) ++d_->purgesOwed;
  d_->Pump(CE_PurgeFailed);
  d_->data.clear();
  d_->Signal();
}

int TSerialRfc2217::Write(const char* data, int count) {
  d_->Require();
  if (count <= 0) return 0;
  if (d_->net.ServerClosed()) d_->Closed(CE_WriteFailed);
  const std::string wire = TTelnetCodec::EscapeData(data, static_cast<size_t>(count));
  const int64_t deadline = WriteDeadline(d_->timeouts, count, NowMs());
  const size_t sent = d_->net.Send(wire.data(), wire.size(), deadline);
  // Count the data bytes that went out whole; a doubled 0xFF cut in half is completed, since
  // half of it would start a telnet command.
  int written = 0;
  size_t at = 0;
  for (int i = 0; i < count && at < sent; ++i) {
    const size_t length = static_cast<uint8_t>(data[i]) == kIAC ? 2 : 1;
    if (at + length > sent) d_->net.SendAll(wire.substr(sent, 1), d_->CommandDeadline());
    at += length;
    ++written;
  }
  return written;
}

int TSerialRfc2217::Read(char* buffer, int count) {
  d_->Require();
  TReadSource source;
  source.Now = [this] { return NowMs(); };
  source.Take = [this](char* to, int max) {
    d_->Pump(CE_ReadFailed);
    if (d_->data.empty()) return d_->ended ? -1 : 0;
    const int n = std::min(max, static_cast<int>(d_->data.size()));
    std::copy_n(d_->data.data(), n, to);
    d_->data.erase(0, static_cast<size_t>(n));
    d_->Signal();
    return n;
  };
  source.Wait = [this](int waitMs) { d_->net.WaitReadable(waitMs); };
  const int got = ReadUnderTimeouts(d_->timeouts, buffer, count, source);
  if (got < 0) d_->Closed(CE_ReadFailed);
  return got;
}

int TSerialRfc2217::QueuedInputCount() {
  d_->Require();
  d_->Pump(CE_ClearComFailed);
  if (d_->data.empty() && d_->ended) d_->Closed(CE_ClearComFailed);
  return static_cast<int>(d_->data.size());
}

int TSerialRfc2217::ReadinessHandle() const {
  return d_->epollFd;
}

}  // namespace quillon
