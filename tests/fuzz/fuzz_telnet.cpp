// The telnet layer of a network port reading whatever a server sends: the first byte cuts the
// rest into pieces, which must decode exactly as the whole does; the negotiation answers are
// well-formed commands; a fault stops decoding; the data read back through escaping is the same.
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "link/telnet_codec.h"

namespace {

using namespace quillon;

struct TDecoded {
  std::string data, reply;
  std::vector<TTelnetCodec::TComPortAnswer> answers;
  TTelnetFault fault = TTelnetFault::None;
};

TDecoded Decode(const std::string& stream, size_t step) {
  TTelnetCodec codec(true);
  codec.Start();
  TDecoded d;
  for (size_t at = 0; at < stream.size(); at += step) {
    codec.Receive(stream.data() + at, std::min(step, stream.size() - at), d.data, d.reply);
    for (auto& a : codec.TakeAnswers()) d.answers.push_back(a);
  }
  d.fault = codec.Fault();
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string stream = fuzz::Input(data + 1, size - 1);
  const size_t step = 1 + data[0] % 17;
  const TDecoded whole = Decode(stream, stream.size() + 1);
  const TDecoded cut = Decode(stream, step);
  fuzz::Require(whole.data == cut.data && whole.reply == cut.reply && whole.fault == cut.fault,
                "pieces decode as the whole");
  fuzz::Require(whole.answers.size() == cut.answers.size(), "pieces give the same answers");
  fuzz::Require(whole.data.size() <= stream.size(), "no more data than bytes");
  fuzz::Require(whole.reply.size() % 3 == 0, "answers are three-byte commands");
  for (size_t i = 0; i < whole.reply.size(); i += 3) {
    const uint8_t iac = static_cast<uint8_t>(whole.reply[i]);
    const uint8_t verb = static_cast<uint8_t>(whole.reply[i + 1]);
    fuzz::Require(iac == telnet::kIAC && verb >= telnet::kWILL && verb <= telnet::kDONT,
                  "an answer is IAC WILL/WONT/DO/DONT option");
  }
  for (const auto& a : whole.answers) {
    fuzz::Require(a.DataBefore <= whole.data.size(), "an answer lies within the data");
    fuzz::Require(a.Value.size() < TTelnetCodec::kMaxSubnegotiation, "answers are bounded");
  }
  const std::string wire = TTelnetCodec::EscapeData(whole.data.data(), whole.data.size());
  TTelnetCodec again(true);
  std::string back, reply;
  again.Receive(wire.data(), wire.size(), back, reply);
  fuzz::Require(back == whole.data && reply.empty(), "escaped data reads back the same");
  return 0;
}
