// quillon FILE.zxml, as a double click on a configuration file starts it: the file is loaded
// into the editor once the window is up. Run unattended (--quit-when-idle), the program's exit
// code tells whether the load went through.
#include <gtest/gtest.h>

#include <string>

#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::test {
namespace {

TProgramRun StartWith(const std::string& file) {
  TRunOptions options;
  options.Env = {"QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0"};
  return RunProgram("./quillon", {"--quit-when-idle", file}, options);
}

TEST(OpenFileAtStart, AConfigurationNamedOnTheCommandLineIsLoaded) {
  TempDir dir;
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  ASSERT_FALSE(profile.Pages.empty());
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  const std::string good = dir.File("saved.zxml");
  ASSERT_TRUE(SaveConfigurationToFile(profile, editor, good, messages));

  const TProgramRun loaded = StartWith(good);
  EXPECT_EQ(loaded.Code, 0) << loaded.Err;

  struct TCase {
    const char* What;
    std::string File;
  };
  const TCase failures[] = {
      {"missing", dir.File("missing.zxml")},
      {"not zlib", dir.Write("garbage.zxml", "this is not a configuration")},
  };
  for (const TCase& c : failures) {
    const TProgramRun r = StartWith(c.File);
    EXPECT_EQ(r.Code, 1) << c.What << ": " << r.Err;
  }
}

}  // namespace
}  // namespace quillon::test
