// The telnet layer of a serial port published with remote line control: data with the byte 0xFF
// (IAC) doubled, option negotiation by the rules that keep two sides from answering each other
// for ever (each side answers only a change of an option's state), and the COM-PORT option's
// messages, by which the client sets the remote port's rate, character size, parity and stop
// bits and purges its buffers. Pure byte work, no I/O: the network port feeds it what the socket
// gave and sends what it owes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

namespace telnet {
constexpr uint8_t kSE = 240;
constexpr uint8_t kSB = 250;
constexpr uint8_t kWILL = 251;
constexpr uint8_t kWONT = 252;
constexpr uint8_t kDO = 253;
constexpr uint8_t kDONT = 254;
constexpr uint8_t kIAC = 255;

constexpr uint8_t kBinary = 0;  // TRANSMIT-BINARY: every byte passes as it is
constexpr uint8_t kEcho = 1;
constexpr uint8_t kSuppressGoAhead = 3;
constexpr uint8_t kComPort = 44;

// COM-PORT commands from the client; the server answers each with its code + 100.
constexpr uint8_t kSignature = 0;
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;

// Values of SET-CONTROL and PURGE-DATA.
constexpr uint8_t kControlNoFlow = 1;
constexpr uint8_t kControlDtrOff = 9;
constexpr uint8_t kControlRtsOff = 12;
constexpr uint8_t kPurgeReceive = 1;   // what the server received from its port
constexpr uint8_t kPurgeTransmit = 2;  // what the server has not sent to its port yet
}  // namespace telnet

// What made a connection unusable.
enum class TTelnetFault {
  None,
  BinaryRefused,   // the server will not pass every byte unchanged
  ComPortRefused,  // the server will not take line settings
  Broken,          // the server broke the protocol (see Detail())
};

class TTelnetCodec {
 public:
  // An answer of the server to a COM-PORT command: the command's code (without the 100) and the
  // value bytes, unescaped.
  struct TComPortAnswer {
    uint8_t Command = 0;
    std::string Value;
    // How long the data string given to Receive was when the answer ended: the data before it
    // left the server before the answer did.
    size_t DataBefore = 0;
  };

  // comPort: the client will set the remote port's line, so it offers the COM-PORT option.
  explicit TTelnetCodec(bool comPort);

  // What the client sends first: binary mode asked for both ways, COM-PORT offered.
  std::string Start();

  // Takes bytes from the server: their data bytes are appended to data, the negotiation
  // answers owed to the server to reply, the COM-PORT answers kept for TakeAnswers(). After a
  // fault the rest is ignored.
  void Receive(const char* bytes, size_t size, std::string& data, std::string& reply);

  // Binary mode agreed both ways and, with COM-PORT, that option accepted.
  bool Ready() const;
  TTelnetFault Fault() const { return fault_; }
  const std::string& Detail() const { return detail_; }
  std::vector<TComPortAnswer> TakeAnswers();

  // Data for the wire: 0xFF doubled.
  static std::string EscapeData(const char* data, size_t size);
  // One COM-PORT command with its value, escaped and framed.
  static std::string ComPortCommand(uint8_t command, const std::string& value);

  // A subnegotiation longer than this is taken for garbage.
  static constexpr size_t kMaxSubnegotiation = 512;

 private:
  // An option's state on one side, as the negotiation rules keep it.
  enum TState : uint8_t { stNo, stYes, stWantNo, stWantYes };
  enum TDecode : uint8_t { dData, dIac, dOption, dSbOption, dSbData, dSbIac };

  void Negotiate(uint8_t verb, uint8_t option, std::string& reply);
  void HisOption(bool will, uint8_t option, std::string& reply);
  void MyOption(bool doIt, uint8_t option, std::string& reply);
  void Subnegotiation(size_t dataBefore);
  void Fail(TTelnetFault fault, const std::string& detail);
  bool HeAgrees(uint8_t option) const;
  bool IAgree(uint8_t option) const;

  bool comPort_;
  TState him_[256] = {};  // the server's side of each option
  TState us_[256] = {};   // ours
  TDecode decode_ = dData;
  uint8_t verb_ = 0;
  uint8_t sbOption_ = 0;
  std::string sb_;
  std::vector<TComPortAnswer> answers_;
  TTelnetFault fault_ = TTelnetFault::None;
  std::string detail_;
};

}  // namespace quillon
