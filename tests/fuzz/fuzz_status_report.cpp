// The status stream: the input arrives in chunks at the packet framer, and every packet goes to
// the report parser, as the status window wires them.
#include "fuzz_target.h"
#include "status/com_data_packet.h"
#include "status/status_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  const std::string input = fuzz::Input(data, size);
  TComDataPacket framer;
  // The first byte picks the framing: markers as the window sets them, or a fixed size.
  const uint8_t mode = size > 0 ? data[0] : 0;
  framer.SetStartString("+RESP:");
  framer.SetStopString("\r\n");
  framer.SetCaseInsensitive(mode & 1);
  if (mode & 2) framer.SetSize(1 + mode % 64);
  size_t packets = 0;
  framer.OnPacket = [&](const std::string& packet) {
    ++packets;
    ParseStatusReport(packet);
  };
  const size_t chunk = 1 + (mode >> 2) % 37;
  for (size_t at = size > 0 ? 1 : 0; at < input.size(); at += chunk)
    framer.AddData(input.substr(at, chunk));
  ParseStatusReport(input);
  return 0;
}
