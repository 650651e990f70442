// Measures what a large command profile costs at start-up.
//
//   quillon_editor_bench [--runs N] [--quillon PATH] [--no-launch]
//                        [--write-profile FILE [PAGES COMMANDS]]
//
// (a) BuildEditor in this process on a profile of 40 pages x 20 commands x 6 parameters, the
//     first showing of the window that holds it, and building the controls of the other pages;
//     start-up with change tracking on beside the same with it off;
// (b) the quillon program from launch until its main window is up and idle (--quit-when-idle),
//     with that profile beside a copy of the executable, against the same with an empty profile;
// (c) the same launch with 40, 1000 and 4000 pages of one command each, side by side: start-up
//     must grow with the number of pages, not with its square;
// (d) the editor's views on the profile of (a): a search (a rare text, a frequent one, a value)
//     and clearing it, with only the first page built as after start-up and with every page
//     built; the changed-only view turned on and off with two changed values a page; each
//     beside building one page, measured in the same run. Goal: each within 100 ms.
// Every figure is the median of the runs. Without a display the offscreen platform is used.
// --write-profile only writes the generated profile, of 40 pages of 20 commands or as many as
// given (for profiling the program by hand).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "bench/support/editor_frame.h"
#include "bench/support/large_profile.h"
#include "editor/qt/qt_editor_views.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "profile/command_profile.h"

namespace {

using quillon::bench::GenerateProfile;
using quillon::bench::kCommands;
using quillon::bench::kPages;
using quillon::bench::kParameters;

QByteArray EmptyProfile() {
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<application/>\n");
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TBuildFigures {
  double BuildMs = 0;     // BuildEditor: every tab, the first page's controls
  double ShowMs = 0;      // the window's first showing
  double AllPagesMs = 0;  // the controls of every other page
  int Widgets = 0;
};

TBuildFigures BuildOnce(const quillon::CommandProfile& profile, bool tracking) {
  quillon::bench::TEditorFrame frame(profile);
  QMainWindow& window = frame.window;
  quillon::TQtPageTabs* tabs = frame.tabs;
  const QSize unit = frame.unit;
  quillon::TQtParameterEditor& editor = *frame.editor;
  editor.SetTracking(tracking);

  TBuildFigures figures;
  QElapsedTimer timer;
  timer.start();
  editor.BuildEditor(unit.width(), unit.height());
  figures.BuildMs = timer.nsecsElapsed() / 1e6;

  timer.restart();
  window.show();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  figures.ShowMs = timer.nsecsElapsed() / 1e6;

  timer.restart();
  editor.BuildAllPages();
  figures.AllPagesMs = timer.nsecsElapsed() / 1e6;
  figures.Widgets = static_cast<int>(tabs->findChildren<QWidget*>().size());
  return figures;
}

void BenchBuild(int runs) {
  quillon::CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(GenerateProfile().toStdString());
  std::vector<double> build, show, allPages, startOn, startOff;
  int widgets = 0;
  for (int r = 0; r < runs; ++r) {
    const TBuildFigures f = BuildOnce(profile, true);
    build.push_back(f.BuildMs);
    show.push_back(f.ShowMs);
    allPages.push_back(f.AllPagesMs);
    startOn.push_back(f.BuildMs + f.ShowMs);
    widgets = f.Widgets;
    const TBuildFigures off = BuildOnce(profile, false);
    startOff.push_back(off.BuildMs + off.ShowMs);
  }
  std::printf("(a) BuildEditor, %d pages x %d commands x %d parameters, %d widgets in all\n",
              kPages, kCommands, kParameters, widgets);
  std::printf("    build:        median %8.1f ms (min %.1f, max %.1f, %d runs)\n", Median(build),
              *std::min_element(build.begin(), build.end()),
              *std::max_element(build.begin(), build.end()), runs);
  std::printf("    first show:   median %8.1f ms\n", Median(show));
  const double on = Median(startOn), off = Median(startOff);
  std::printf(
      "    start-up (build and first show) with change tracking on %.1f ms, off %.1f ms: "
      "%.2fx (goal 1.10x: %s)\n",
      on, off, on / off, on <= 1.10 * off ? "met" : "MISSED");
  std::printf(
      "    other pages:  median %8.1f ms for %d pages (%.1f ms a page, paid when a page is "
      "first shown or asked for)\n",
      Median(allPages), kPages - 1, Median(allPages) / (kPages - 1));
}

// (d): one figure per view operation, in ms.
struct TViewFigures {
  double OnePage = 0;  // building one more page: the reference
  double SearchRareFirst = 0, JumpFirst = 0, SearchCommonFirst = 0, ClearFirst = 0;
  double SearchRare = 0, SearchCommon = 0, SearchValue = 0, Clear = 0;
  double ChangedOn = 0, ChangedOff = 0;
  int CommonMatches = 0, ValueMatches = 0;
};

double TimeMs(const std::function<void()>& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return timer.nsecsElapsed() / 1e6;
}

TViewFigures ViewsOnce(const quillon::CommandProfile& profile) {
  quillon::bench::TEditorFrame frame(profile);
  quillon::TQtPageTabs* tabs = frame.tabs;
  quillon::TQtParameterEditor& editor = frame.BuildAndShow();
  quillon::TQtEditorViews& views = editor.Views();

  TViewFigures f;
  // As after start-up: the other pages' fields exist only as the profile's defaults.
  f.SearchRareFirst = TimeMs([&] { views.SetSearchText(QStringLiteral("+C39X19")); });
  // The match lies on the last page: showing it builds that page.
  f.JumpFirst = TimeMs([&] { views.ShowNextMatch(); });
  tabs->setCurrentIndex(0);
  f.SearchCommonFirst = TimeMs([&] { views.SetSearchText(QStringLiteral("период")); });
  f.ClearFirst = TimeMs([&] { views.SetSearchText(QString()); });

  int unbuilt = 0;
  for (int p = 0; p < quillon::bench::kPages; ++p) unbuilt += editor.PageBuilt(p) ? 0 : 1;
  f.OnePage = TimeMs([&] { editor.BuildAllPages(); }) / std::max(unbuilt, 1);
  // Two changed values a page: a number and a text.
  for (int p = 0; p < quillon::bench::kPages; ++p) {
    editor.SetLastReadValue(p, 1, 0, 0, "61");
    editor.SetLastReadValue(p, 7, 0, 4, "other");
  }
  QCoreApplication::processEvents();
  f.ChangedOn = TimeMs([&] { views.SetChangedOnly(true); });
  f.ChangedOff = TimeMs([&] { views.SetChangedOnly(false); });
  f.SearchCommon = TimeMs([&] { f.CommonMatches = views.SetSearchText(QStringLiteral("период")); });
  f.SearchValue =
      TimeMs([&] { f.ValueMatches = views.SetSearchText(QStringLiteral("example.org")); });
  f.SearchRare = TimeMs([&] { views.SetSearchText(QStringLiteral("+C39X19")); });
  f.Clear = TimeMs([&] { views.SetSearchText(QString()); });
  return f;
}

void BenchViews(int runs) {
  quillon::CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(GenerateProfile().toStdString());
  std::vector<TViewFigures> all;
  for (int r = 0; r < runs; ++r) all.push_back(ViewsOnce(profile));
  const auto median = [&](double TViewFigures::*field) {
    std::vector<double> values;
    for (const TViewFigures& f : all) values.push_back(f.*field);
    return Median(values);
  };
  const double reference = median(&TViewFigures::OnePage);
  std::printf(
      "(d) editor views, %d pages x %d commands x %d parameters (median of %d runs; goal 100 ms "
      "each; one page built: %.1f ms)\n",
      kPages, kCommands, kParameters, runs, reference);
  const auto row = [&](const char* name, double TViewFigures::*field) {
    const double ms = median(field);
    std::printf("    view  %-44s %8.1f ms  %6.2fx one page  %s\n", name, ms,
                reference > 0 ? ms / reference : 0.0, ms <= 100 ? "met" : "MISSED");
  };
  row("search, rare text, first page built", &TViewFigures::SearchRareFirst);
  row("jump to it, on a page not built yet", &TViewFigures::JumpFirst);
  row("search, frequent text, first page built", &TViewFigures::SearchCommonFirst);
  row("search cleared, first page built", &TViewFigures::ClearFirst);
  row("search, frequent text, all pages built", &TViewFigures::SearchCommon);
  row("search, a value, all pages built", &TViewFigures::SearchValue);
  row("search, rare text, all pages built", &TViewFigures::SearchRare);
  row("search cleared, all pages built", &TViewFigures::Clear);
  row("changed-only on, all pages built", &TViewFigures::ChangedOn);
  row("changed-only off, all pages built", &TViewFigures::ChangedOff);
  std::printf("    (matches: frequent text %d, value %d)\n", all.back().CommonMatches,
              all.back().ValueMatches);
}

// A folder holding a copy of the program and the given profile beside it.
bool PrepareFolder(const QString& folder, const QString& quillon, const QByteArray& profile,
                   QString& program) {
  if (!QDir().mkpath(folder)) return false;
  program = folder + QStringLiteral("/quillon");
  if (!QFile::copy(quillon, program)) return false;
  QFile::setPermissions(program, QFile::permissions(quillon));
  QFile file(folder + QStringLiteral("/cmdprofile.xml"));
  return file.open(QIODevice::WriteOnly) && file.write(profile) == profile.size();
}

// Wall time from launch to exit, or a negative number when the run failed.
double LaunchOnce(const QString& program) {
  QProcess process;
  process.setProgram(program);
  process.setArguments({QStringLiteral("--quit-when-idle")});
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer timer;
  timer.start();
  process.start();
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0)
    return -1;
  return timer.nsecsElapsed() / 1e6;
}

bool BenchLaunch(int runs, const QString& quillon) {
  if (!QFileInfo(quillon).isExecutable()) {
    std::printf("(b) skipped: %s is not there (build the quillon target)\n", qPrintable(quillon));
    return true;
  }
  QTemporaryDir dir;
  QString large, empty;
  if (!dir.isValid() ||
      !PrepareFolder(dir.filePath(QStringLiteral("large")), quillon, GenerateProfile(), large) ||
      !PrepareFolder(dir.filePath(QStringLiteral("empty")), quillon, EmptyProfile(), empty)) {
    std::printf("(b) failed: cannot prepare the program folders\n");
    return false;
  }
  // One unmeasured launch each warms the file cache.
  LaunchOnce(empty);
  LaunchOnce(large);
  std::vector<double> withLarge, withEmpty;
  for (int r = 0; r < runs; ++r) {
    const double e = LaunchOnce(empty);
    const double l = LaunchOnce(large);
    if (e < 0 || l < 0) {
      std::printf("(b) failed: quillon --quit-when-idle did not end cleanly\n");
      return false;
    }
    withEmpty.push_back(e);
    withLarge.push_back(l);
  }
  const double added = Median(withLarge) - Median(withEmpty);
  std::printf("(b) quillon launch until idle (%d runs each)\n", runs);
  std::printf("    empty profile: median %8.1f ms\n", Median(withEmpty));
  std::printf("    large profile: median %8.1f ms\n", Median(withLarge));
  std::printf("    added by the large profile: %.1f ms (target below 1000 ms: %s)\n", added,
              added < 1000 ? "met" : "MISSED");
  return true;
}

// (c): launch times for growing numbers of pages, beside the empty profile of the same run.
bool BenchPageScaling(int runs, const QString& quillon) {
  if (!QFileInfo(quillon).isExecutable()) return true;
  const int counts[] = {40, 1000, 4000};
  QTemporaryDir dir;
  QString empty;
  QString programs[3];
  qint64 sizes[3] = {};
  if (!dir.isValid() ||
      !PrepareFolder(dir.filePath(QStringLiteral("empty")), quillon, EmptyProfile(), empty))
    return false;
  for (int i = 0; i < 3; ++i) {
    const QByteArray profile = GenerateProfile(counts[i], 1);
    sizes[i] = profile.size();
    if (!PrepareFolder(dir.filePath(QStringLiteral("p%1").arg(counts[i])), quillon, profile,
                       programs[i]))
      return false;
  }
  LaunchOnce(empty);
  for (const QString& program : programs) LaunchOnce(program);
  std::vector<double> times[3], withEmpty;
  for (int r = 0; r < runs; ++r) {
    withEmpty.push_back(LaunchOnce(empty));
    for (int i = 0; i < 3; ++i) times[i].push_back(LaunchOnce(programs[i]));
  }
  for (const auto& t : times)
    if (*std::min_element(t.begin(), t.end()) < 0) {
      std::printf("(c) failed: quillon --quit-when-idle did not end cleanly\n");
      return false;
    }
  const double base = Median(withEmpty);
  std::printf(
      "(c) quillon launch until idle by number of pages (1 command x %d parameters a page, "
      "%d runs each; empty profile %.1f ms)\n",
      kParameters, runs, base);
  std::printf("    %6s %10s %12s %14s %12s\n", "pages", "profile", "launch ms", "added ms",
              "vs 1000");
  const double added1000 = Median(times[1]) - base;
  for (int i = 0; i < 3; ++i) {
    const double added = Median(times[i]) - base;
    std::printf("    %6d %8.1f MB %12.1f %14.1f %11.2fx\n", counts[i], sizes[i] / 1e6,
                Median(times[i]), added, added1000 > 0 ? added / added1000 : 0.0);
  }
  const double ratio = added1000 > 0 ? (Median(times[2]) - base) / added1000 : 0;
  std::printf("    1000 pages within a second: %s; 4000 within 4.5x of 1000: %s\n",
              added1000 < 1000 ? "met" : "MISSED", ratio <= 4.5 ? "met" : "MISSED");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  int runs = 5;
  bool launch = true;
  QString quillon = QCoreApplication::applicationDirPath() + QStringLiteral("/quillon");
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--runs") && i + 1 < args.size()) {
      runs = std::max(1, args[++i].toInt());
    } else if (args[i] == QStringLiteral("--quillon") && i + 1 < args.size()) {
      quillon = args[++i];
    } else if (args[i] == QStringLiteral("--no-launch")) {
      launch = false;
    } else if (args[i] == QStringLiteral("--write-profile") && i + 1 < args.size()) {
      QFile file(args[++i]);
      const bool sized = i + 2 < args.size();
      const QByteArray profile =
          sized ? GenerateProfile(args[i + 1].toInt(), args[i + 2].toInt()) : GenerateProfile();
      return file.open(QIODevice::WriteOnly) && file.write(profile) == profile.size() ? 0 : 1;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--runs N] [--quillon PATH] [--no-launch] [--write-profile FILE "
                   "[PAGES COMMANDS]]\n",
                   argv[0]);
      return 2;
    }
  }

  BenchBuild(runs);
  BenchViews(runs);
  if (launch && !BenchLaunch(runs, quillon)) return 1;
  if (launch && !BenchPageScaling(runs, quillon)) return 1;
  return 0;
}
