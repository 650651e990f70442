// The status-report exchange without any window: the requests that start and stop the reports,
// and TStatusExchange, which attaches the packet framer to the session's port, sends the
// requests, and logs, trims and parses every packet. The status window and `quillon-cli status`
// both drive it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "status/com_data_packet.h"
#include "status/number_formatter.h"
#include "status/status_report.h"
#include "status/status_texts.h"

namespace quillon {

class TTerminalSession;

struct TStatusRequest {
  std::string Cmd;      // sent (a carriage return is added by SendCommand)
  std::string LogText;  // logged instead, the password hidden
};
// "AT+SDAD=<password>,,3,,,,,,,,,,," / "AT+SDAD=*,,3,,,,,,,,,,,"
TStatusRequest StartExchangeRequest(const std::string& password);
// "AT+SDAD=<password>,,0,,,,,,,,,,," / "AT+SDAD=*,,0,,,,,,,,,,,"
TStatusRequest StopExchangeRequest(const std::string& password);

class TStatusExchange {
 public:
  // The formatter must outlive the exchange.
  TStatusExchange(TTerminalSession& session, const TStatusTexts& texts,
                  const INumberFormatter& formatter);
  ~TStatusExchange();
  TStatusExchange(const TStatusExchange&) = delete;
  TStatusExchange& operator=(const TStatusExchange&) = delete;

  // Called for every packet once it is logged: the line trimmed of codes 0..32 and what it
  // changes (empty: not a report this program knows).
  std::function<void(const std::string& line, const std::vector<TStatusUpdate>& updates)> OnReport;

  bool Running() const { return running_; }

  // Does nothing while running. Without command mode it asks the session for one first and gives
  // up quietly when there is none. Then the framer is attached to the port BEFORE the start
  // request goes out (the terminal's echo arrives as a packet) and the request is sent without
  // waiting for an answer. True when the exchange runs.
  bool Start();
  // Detaches the framer (its buffer stays) and sends the stop request, waiting for its answer
  // with the general time-out and ignoring it. Sent whether or not the exchange ran.
  void Stop();

  // The texts used from the next packet on (a language chosen after creation).
  void SetTexts(const TStatusTexts& texts) { texts_ = texts; }

  TComDataPacket& Framer() { return framer_; }

 private:
  void HandlePacket(const std::string& packet);

  TTerminalSession& session_;
  TStatusTexts texts_;
  const INumberFormatter& formatter_;
  TComDataPacket framer_;
  bool running_ = false;
};

}  // namespace quillon
