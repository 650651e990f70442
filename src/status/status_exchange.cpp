#include "status/status_exchange.h"

#include "link/com_port.h"
#include "link/log_model.h"
#include "link/terminal_session.h"
#include "profile/text_utils.h"
#include "settings/settings.h"

namespace quillon {

namespace {

TStatusRequest ExchangeRequest(const std::string& password, const char* mode) {
  const std::string tail = std::string(",,") + mode + ",,,,,,,,,,,";
  return {"AT+SDAD=" + password + tail, "AT+SDAD=*" + tail};
}

}  // namespace

TStatusRequest StartExchangeRequest(const std::string& password) {
  return ExchangeRequest(password, "3");
}

TStatusRequest StopExchangeRequest(const std::string& password) {
  return ExchangeRequest(password, "0");
}

TStatusExchange::TStatusExchange(TTerminalSession& session, const TStatusTexts& texts,
                                 const INumberFormatter& formatter)
    : session_(session), texts_(texts), formatter_(formatter) {
  framer_.SetStopString("\r");
  framer_.OnPacket = [this](const std::string& packet) { HandlePacket(packet); };
}

TStatusExchange::~TStatusExchange() {
  framer_.OnPacket = nullptr;
}

bool TStatusExchange::Start() {
  if (running_) return true;
  if (!session_.InCommandMode && !session_.EnsureSession()) return false;
  running_ = true;
  framer_.SetComPort(&session_.Port());
  const TStatusRequest request = StartExchangeRequest(session_.Settings().EffectivePassword);
  std::string answer;
  session_.SendCommand(request.Cmd, request.LogText, true, true, answer);
  return true;
}

void TStatusExchange::Stop() {
  running_ = false;
  framer_.SetComPort(nullptr);
  const TStatusRequest request = StopExchangeRequest(session_.Settings().EffectivePassword);
  std::string answer;
  session_.SendCommand(request.Cmd, request.LogText, false, true, answer);
}

void TStatusExchange::HandlePacket(const std::string& packet) {
  // The log masks the passwords; the parser gets the packet as it came.
  session_.Log().WriteLog(packet, 0);
  const std::string line = TrimCtl(packet);
  const std::vector<TStatusUpdate> updates = ParseStatusReport(line, texts_, formatter_);
  if (OnReport) OnReport(line, updates);
}

}  // namespace quillon
