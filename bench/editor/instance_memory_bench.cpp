// Measures the memory a huge indexed command costs the Qt editor (offscreen): one page holding
// a command of 256 instances x 256 integer parameters, whose instance groups are built when
// they first come into view.
//
//   quillon_instance_memory_bench poll | load | build
//
// poll:  every value written as a poll answer writes it (the value, the value read, its origin),
//        then the configuration document read back, as a save does;
// load:  a configuration of every instance's first 80 parameters (as many as fit the file
//        size limit) loaded;
// build: every instance built, for the figure the editor would reach by building them.
// Each mode runs in a process of its own and prints the peak resident size (VmHWM) after
// start-up and after the work, with the time the work took.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/support/editor_frame.h"
#include "configfiles/config_file.h"
#include "editor/qt/qt_parameter_editor.h"
#include "profile/command_profile.h"

namespace {

using namespace quillon;

constexpr int kInstances = 256;
constexpr int kParameters = 256;
constexpr int kLoadedParameters = 80;

std::string HugeProfile() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><page id=\"1\" name=\"P\">"
      "<command command=\"+BIG\" description=\"Big\" maxindex=\"256\" polldata=\"1\" "
      "setdata=\"1\" exportdata=\"1\">";
  for (int i = 0; i < kParameters; ++i)
    xml += "<parameter type=\"integer\" description=\"p" + std::to_string(i) +
           "\" defaultvalue=\"" + std::to_string(i) + "\" minvalue=\"0\" maxvalue=\"65535\"/>";
  return xml + "</command></page></application>";
}

std::string LoadedDocument() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Quillon>\r\n  <ExportCommandParamenters>\r\n"
      "    <command name=\"+BIG\">\r\n";
  for (int k = 0; k < kInstances; ++k) {
    xml += "      <index index=\"" + std::to_string(k) + "\">\r\n";
    for (int i = 0; i < kLoadedParameters; ++i)
      xml += "<parameter index=\"" + std::to_string(i) + "\" enabled=\"1\">" +
             std::to_string((k * 7 + i) % 1000) + "</parameter>\r\n";
    xml += "      </index>\r\n";
  }
  return xml + "    </command>\r\n  </ExportCommandParamenters>\r\n</Quillon>\r\n";
}

// Peak resident size of this process so far, in MB.
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "poll" && mode != "load" && mode != "build") {
    std::fprintf(stderr, "usage: %s poll | load | build\n", argv[0]);
    return 2;
  }
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(HugeProfile());
  bench::TEditorFrame frame(profile);
  TQtParameterEditor& editor = frame.BuildAndShow();
  const double started = PeakMb();

  QElapsedTimer timer;
  timer.start();
  std::string detail;
  if (mode == "poll") {
    for (int k = 0; k < kInstances; ++k)
      for (int i = 0; i < kParameters; ++i) {
        if (!editor.HasControl(0, 0, k, i, ckInput)) continue;
        const std::string value = std::to_string((k * 7 + i) % 1000);
        editor.SetInputText(0, 0, k, i, value);
        editor.SetLastReadValue(0, 0, k, i, value);
        editor.SetValueOrigin(0, 0, k, i, voRead);
      }
    TConfigMessages messages;
    detail = std::to_string(WriteConfigurationXml(profile, editor, messages).size()) +
             " bytes of configuration read back";
  } else if (mode == "load") {
    TConfigMessages messages;
    const TLoadResult result = LoadConfigurationXml(profile, editor, LoadedDocument(), messages);
    detail = std::to_string(result.Parameters.size()) + " values loaded" +
             (result.Outcome == loLoaded && messages.Empty() ? "" : ", with messages");
  } else {
    editor.BuildAllPages();
    detail = "every instance built";
  }
  const double ms = timer.nsecsElapsed() / 1e6;
  int built = 0;
  for (int k = 0; k < kInstances; ++k) built += editor.InstanceBuilt(0, 0, k);
  std::printf(
      "%s: peak %.1f MB after start, %.1f MB after the work (%.0f ms; %s; %d of %d instances "
      "built)\n",
      mode.c_str(), started, PeakMb(), ms, detail.c_str(), built, kInstances);
  return 0;
}
