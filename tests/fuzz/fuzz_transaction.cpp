// One poll or apply on the simulated line: the input is what the terminal answers, in two parts
// with a pause between them, read by the transaction (with ordinary or fast answers) and handed
// to the command's response processor (default, table, nonpoll, exitcmd) writing into the
// headless editor.
#include <memory>

#include "editor/headless_editor.h"
#include "engine/command_engine.h"
#include "engine/response_processors.h"
#include "fuzz_target.h"
#include "link/com_port.h"
#include "link/log_model.h"
#include "link/serial_sim.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "settings/settings.h"

namespace {

using namespace quillon;

const char kProfile[] =
    "<application><page id=\"1\" name=\"P\">"
    "<command command=\"+ABCD\" polldata=\"1\">"
    "<parameter type=\"integer\" minvalue=\"-5\" maxvalue=\"100\" optional=\"0\"/>"
    "<parameter type=\"string\" maxlen=\"8\"/><parameter type=\"hex\" maxlen=\"4\"/>"
    "<parameter type=\"option\"><option value=\"0\" text=\"off\"/>"
    "<option value=\"1\" text=\"on\"/></parameter></command>"
    "<command command=\"+IDX\" polldata=\"1\" maxindex=\"3\">"
    "<parameter type=\"integer\"/><parameter type=\"string\"/></command>"
    "<command command=\"+TBL\" polldata=\"1\" pollprocessor=\"table\" table_headers=\"a,b\">"
    "<parameter type=\"string\"/></command>"
    "<command command=\"+SET\"><parameter type=\"integer\"/></command>"
    "<command command=\"+TEXT\"/>"
    "</page></application>";

// Every question is answered no; windows give up at once.
class TQuietUi : public ISessionUi {
 public:
  bool AskRetry(const std::string&) override { return false; }
  bool RunReconnectWindow(const std::function<bool()>& tryOpen) override { return tryOpen(); }
  bool RunEntryWindow(const std::function<bool()>& oneTry) override { return oneTry(); }
  void ShowMessage(const std::string&) override {}
  void LinkStateChanged(const std::string&, const std::string&, bool, bool) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const CommandProfile profileModel = [] {
    CommandProfile p;
    p.LoadCommandProfileFromBuffer(kProfile);
    return p;
  }();
  CommandProfile profile = profileModel;  // the registry below is this run's
  TSettings settings;
  settings.Timeout = settings.TimeoutInterval = settings.TimeoutEcho = 250;
  settings.RetryCount = 1 + data[1] % 2;
  settings.Password = settings.EffectivePassword = "111111";
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  port.ApplyPortSettings(settings);
  TLogModel log(settings);
  TQuietUi ui;
  TMemoryProgressBar progress;
  TTerminalSession session(port, log, settings, ui, progress);
  session.SetFastAnswer(data[0] & 0x40);
  THeadlessEditor editor(profile);
  TCommandEngine engine(profile, editor, session, settings);
  RegisterResponseProcessors(profile, engine.Processors());

  const std::string answer = fuzz::Input(data + 2, size - 2);
  const size_t half = answer.size() / 2;
  const int64_t pause = data[1] % 400;  // beyond 250 the second part is cut off
  line->SetEcho(true);
  line->SetResponder([&](const std::string&, TSimulatedLine& l) {
    l.After(5, answer.substr(0, half));
    l.After(5 + pause, answer.substr(half));
  });
  port.Open();
  session.InCommandMode = true;

  const int command = data[0] % 5;
  const bool apply = data[0] & 0x80;
  // Only the indexed command has instances beyond the first.
  const ParamAddress address{0, command, command == 1 ? (data[0] >> 3) % 3 : 0, 0};
  if (apply)
    engine.ApplyCommand(address);
  else
    engine.PollCommand(address);
  return 0;
}
