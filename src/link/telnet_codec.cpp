#include "link/telnet_codec.h"

#include <utility>

namespace quillon {

using namespace telnet;

namespace {

std::string Command(uint8_t verb, uint8_t option) {
  return std::string{static_cast<char>(kIAC), static_cast<char>(verb), static_cast<char>(option)};
}

}  // namespace

TTelnetCodec::TTelnetCodec(bool comPort) : comPort_(comPort) {}

std::string TTelnetCodec::Start() {
  std::string out;
  us_[kBinary] = stWantYes;
  out += Command(kWILL, kBinary);
  him_[kBinary] = stWantYes;
  out += Command(kDO, kBinary);
  if (comPort_) {
    us_[kComPort] = stWantYes;
    out += Command(kWILL, kComPort);
  }
  return out;
}

bool TTelnetCodec::Ready() const {
  return fault_ == TTelnetFault::None && us_[kBinary] == stYes && him_[kBinary] == stYes &&
         (!comPort_ || us_[kComPort] == stYes);
}

std::vector<TTelnetCodec::TComPortAnswer> TTelnetCodec::TakeAnswers() {
  return std::exchange(answers_, {});
}

// The server may pass every byte unchanged and skip go-ahead signals; it must not echo, since
// the terminal echoes itself.
bool TTelnetCodec::HeAgrees(uint8_t option) const {
  return option == kBinary || option == kSuppressGoAhead;
}

bool TTelnetCodec::IAgree(uint8_t option) const {
  return option == kBinary || option == kSuppressGoAhead || (comPort_ && option == kComPort);
}

void TTelnetCodec::Fail(TTelnetFault fault, const std::string& detail) {
  if (fault_ != TTelnetFault::None) return;
  fault_ = fault;
  detail_ = detail;
}

void TTelnetCodec::Receive(const char* bytes, size_t size, std::string& data, std::string& reply) {
  for (size_t i = 0; i < size && fault_ == TTelnetFault::None; ++i) {
    const uint8_t b = static_cast<uint8_t>(bytes[i]);
    switch (decode_) {
      case dData:
        if (b == kIAC)
          decode_ = dIac;
        else
          data += static_cast<char>(b);
        break;
      case dIac:
        decode_ = dData;
        if (b == kIAC) {
          data += static_cast<char>(b);
        } else if (b >= kWILL && b <= kDONT) {
          verb_ = b;
          decode_ = dOption;
        } else if (b == kSB) {
          decode_ = dSbOption;
        }
        // Other commands (NOP, go-ahead, data mark, a stray SE, ...) carry nothing for a
        // binary line.
        break;
      case dOption:
        decode_ = dData;
        Negotiate(verb_, b, reply);
        break;
      case dSbOption:
        sbOption_ = b;
        sb_.clear();
        decode_ = dSbData;
        break;
      case dSbData:
        if (b == kIAC) {
          decode_ = dSbIac;
        } else if (sb_.size() < kMaxSubnegotiation) {
          sb_ += static_cast<char>(b);
        } else {
          Fail(TTelnetFault::Broken,
               "subnegotiation longer than " + std::to_string(kMaxSubnegotiation) + " bytes");
        }
        break;
      case dSbIac:
        if (b == kIAC) {
          sb_ += static_cast<char>(b);
          decode_ = dSbData;
        } else if (b == kSE) {
          decode_ = dData;
          Subnegotiation(data.size());
        } else {
          Fail(TTelnetFault::Broken, "command " + std::to_string(b) +
                                         " inside a subnegotiation of option " +
                                         std::to_string(sbOption_));
        }
        break;
    }
  }
}

void TTelnetCodec::Negotiate(uint8_t verb, uint8_t option, std::string& reply) {
  if (verb == kWILL || verb == kWONT)
    HisOption(verb == kWILL, option, reply);
  else
    MyOption(verb == kDO, option, reply);
  if (him_[kBinary] == stNo || us_[kBinary] == stNo)
    Fail(TTelnetFault::BinaryRefused, "binary mode declined");
  else if (comPort_ && us_[kComPort] == stNo)
    Fail(TTelnetFault::ComPortRefused, "COM-PORT option declined");
}

// WILL or WONT from the server about its own side of an option.
void TTelnetCodec::HisOption(bool will, uint8_t option, std::string& reply) {
  TState& state = him_[option];
  if (will) {
    if (state == stNo) {
      if (HeAgrees(option)) {
        state = stYes;
        reply += Command(kDO, option);
      } else {
        reply += Command(kDONT, option);
      }
    } else if (state == stWantYes || state == stWantNo) {
      // The answer to our request (a WILL after our DONT counts as a refusal to stop).
      state = state == stWantYes ? stYes : stNo;
    }
  } else {
    if (state == stYes) reply += Command(kDONT, option);
    state = stNo;
  }
}

// DO or DONT from the server about our side of an option.
void TTelnetCodec::MyOption(bool doIt, uint8_t option, std::string& reply) {
  TState& state = us_[option];
  if (doIt) {
    if (state == stNo) {
      if (IAgree(option)) {
        state = stYes;
        reply += Command(kWILL, option);
      } else {
        reply += Command(kWONT, option);
      }
    } else if (state == stWantYes || state == stWantNo) {
      state = state == stWantYes ? stYes : stNo;
    }
  } else {
    if (state == stYes) reply += Command(kWONT, option);
    state = stNo;
  }
}

// Only the server's COM-PORT answers matter; other subnegotiations are not asked for.
void TTelnetCodec::Subnegotiation(size_t dataBefore) {
  if (sbOption_ != kComPort || !comPort_) return;
  if (sb_.empty()) {
    Fail(TTelnetFault::Broken, "empty COM-PORT subnegotiation");
    return;
  }
  const uint8_t code = static_cast<uint8_t>(sb_[0]);
  if (code < kServerOffset) return;  // a client's command sent back: nothing to take from it
  answers_.push_back({static_cast<uint8_t>(code - kServerOffset), sb_.substr(1), dataBefore});
}

std::string TTelnetCodec::EscapeData(const char* data, size_t size) {
  std::string out;
  out.reserve(size + 2);
  for (size_t i = 0; i < size; ++i) {
    out += data[i];
    if (static_cast<uint8_t>(data[i]) == kIAC) out += data[i];
  }
  return out;
}

std::string TTelnetCodec::ComPortCommand(uint8_t command, const std::string& value) {
  std::string out{static_cast<char>(kIAC), static_cast<char>(kSB), static_cast<char>(kComPort),
                  static_cast<char>(command)};
  out += EscapeData(value.data(), value.size());
  out += static_cast<char>(kIAC);
  out += static_cast<char>(kSE);
  return out;
}

}  // namespace quillon
