// Measures saving and loading a configuration of the large profile (40 pages x 20 commands x
// 6 parameters, every fifth command with three instances).
//
//   quillon_config_bench [--runs N]
//
// For the headless editor and for the Qt editor (offscreen without a display): a save (the
// document built from the editor and compressed, as SaveConfigurationToBuffer does) beside raw
// zlib level 9 of the same document, and a load of the compressed file into the editor beside
// raw inflation of it. The Qt editor's first load also builds the pages it reaches. Every
// figure is the median of the runs.
#include <zlib.h>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/editor_frame.h"
#include "bench/support/large_profile.h"
#include "configfiles/bounded_inflater.h"
#include "configfiles/config_file.h"
#include "editor/editor_rules.h"
#include "editor/headless_editor.h"
#include "editor/qt/qt_parameter_editor.h"

namespace {

using namespace quillon;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double TimeMs(const std::function<void()>& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return timer.nsecsElapsed() / 1e6;
}

double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) times.push_back(TimeMs(work));
  return Median(times);
}

// Values that differ from field to field, as a real terminal's would.
void FillEditor(const CommandProfile& profile, IParameterEditor& editor) {
  for (size_t p = 0; p < profile.Pages.size(); ++p)
    for (size_t c = 0; c < profile.Pages[p].Commands.size(); ++c) {
      const TDevCommand& cmd = profile.Pages[p].Commands[c];
      const int page = static_cast<int>(p), command = static_cast<int>(c);
      for (int k = 0; k < InstanceCount(cmd); ++k)
        for (int n = 0; n < static_cast<int>(cmd.Parameters.size()); ++n) {
          const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(n)];
          const int seed = static_cast<int>(p * 131 + c * 17) + k * 7 + n;
          switch (param.ParamType) {
            case ptInteger:
              editor.SetInputText(page, command, k, n, std::to_string(5 + seed % 3000));
              break;
            case ptString:
              editor.SetInputText(page, command, k, n,
                                  "srv" + std::to_string(seed) + ".example.org");
              break;
            case ptHex: {
              char hex[16];
              std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(seed * 2654435761u));
              editor.SetInputText(page, command, k, n, hex);
              break;
            }
            case ptOption:
              editor.SetOptionIndex(page, command, k, n,
                                    seed % static_cast<int>(param.Options.size()));
              break;
          }
          if (param.Optional) editor.SetChecked(page, command, k, n, seed % 4 != 0);
        }
    }
}

std::string RawInflate(const std::string& data) {
  std::string out;
  TBoundedInflater inflater(size_t{1} << 30,
                            [&out](const char* d, size_t size) { out.append(d, size); });
  inflater.Feed(data.data(), data.size());
  inflater.Finish();
  return out;
}

struct TFigures {
  double Save = 0, Document = 0, RawDeflate = 0, Load = 0, RawInflate = 0;
};

TFigures Measure(const CommandProfile& profile, IParameterEditor& editor,
                 const std::function<IParameterEditor&()>& loadTarget, int runs) {
  TConfigMessages messages;
  const std::string xml = WriteConfigurationXml(profile, editor, messages);
  std::string file;
  TFigures f;
  f.Save = MedianMs(runs, [&] {
    TConfigMessages m;
    SaveConfigurationToBuffer(profile, editor, file, m);
  });
  f.Document = MedianMs(runs, [&] {
    TConfigMessages m;
    WriteConfigurationXml(profile, editor, m);
  });
  f.RawDeflate = MedianMs(runs, [&] { DeflateBest(xml); });
  f.Load = MedianMs(runs, [&] {
    TConfigMessages m;
    if (LoadConfigurationFromBuffer(profile, loadTarget(), file, m).Outcome != loLoaded ||
        !m.Empty())
      std::fprintf(stderr, "load reported something: %zu messages\n", m.Lines().size());
  });
  f.RawInflate = MedianMs(runs, [&] { RawInflate(file); });
  return f;
}

void Print(const char* editor, const TFigures& f) {
  std::printf("%s\n", editor);
  std::printf("  save:  median %7.2f ms   raw zlib level 9 of the same text %7.2f ms   (%.2fx)\n",
              f.Save, f.RawDeflate, f.Save / f.RawDeflate);
  std::printf("         of which the document read from the editor %7.2f ms\n", f.Document);
  std::printf("  load:  median %7.2f ms   raw inflate of the file           %7.2f ms\n", f.Load,
              f.RawInflate);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int runs = 21;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));

  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(bench::GenerateProfile().toStdString());

  THeadlessEditor headless(profile);
  FillEditor(profile, headless);
  TConfigMessages messages;
  const std::string xml = WriteConfigurationXml(profile, headless, messages);
  std::string file;
  SaveConfigurationToBuffer(profile, headless, file, messages);
  std::printf(
      "Configuration of %d pages x %d commands x %d parameters: %zu bytes of text, %zu "
      "compressed; %d runs each\n",
      bench::kPages, bench::kCommands, bench::kParameters, xml.size(), file.size(), runs);

  Print("headless editor",
        Measure(
            profile, headless, [&]() -> IParameterEditor& { return headless; }, runs));

  bench::TEditorFrame frame(profile);
  TQtParameterEditor& qt = frame.BuildAndShow();

  // The first load into a fresh window builds every page the file reaches.
  const double firstLoad = TimeMs([&] {
    TConfigMessages m;
    LoadConfigurationFromBuffer(profile, qt, file, m);
  });
  Print("Qt editor (pages built)",
        Measure(
            profile, qt, [&]() -> IParameterEditor& { return qt; }, runs));
  std::printf("  first load into a fresh window, building the %d pages it reaches: %.2f ms\n",
              bench::kPages - 1, firstLoad);
  return 0;
}
