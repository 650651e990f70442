// Initial values of a fresh terminal and the state file kept by +SAVE.
#include "sim/sim_device_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "sim/sim_fixture_profile.h"
#include "sim/sim_value_checker.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

TCmdParameter Param(TParamType type, const std::string& defaultValue) {
  TCmdParameter param;
  param.ParamType = type;
  param.DefaultValue = defaultValue;
  if (type == ptInteger) {
    param.MinValue = 10;
    param.MaxValue = 20;
  }
  if (type == ptHex) param.MaxLen = 6;
  if (type == ptOption) param.Options = {{"a", "A"}, {"b", "B"}};
  return param;
}

TEST(SimValueCheckerTest, InitialValuesAreDefaultsMadeValid) {
  struct Case {
    TCmdParameter Param;
    const char* Expected;
  } cases[] = {
      {Param(ptInteger, "15"), "15"},  {Param(ptInteger, "99"), "20"},
      {Param(ptInteger, ""), "10"},    {Param(ptInteger, "$0C"), "12"},
      {Param(ptHex, "ff"), "0000FF"},  {Param(ptHex, "zz"), "000000"},
      {Param(ptOption, "b"), "b"},     {Param(ptOption, "x"), "a"},
      {Param(ptString, " s "), " s "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TSimValueChecker::InitialValue(c.Param), c.Expected) << c.Param.DefaultValue;
  }
  TCmdParameter unlimited = Param(ptInteger, "-5");
  unlimited.MinValue = unlimited.MaxValue = 0;
  EXPECT_EQ(TSimValueChecker::InitialValue(unlimited), "-5") << "equal limits are no limits";
}

TEST(SimValueCheckerTest, InvalidMaskChecksNothing) {
  TCmdParameter param = Param(ptString, "");
  param.OnLeaveMask = "([";
  TSimValueChecker checker;
  std::string normalized, reason;
  EXPECT_TRUE(checker.Check(param, "anything", normalized, reason));
}

class SimDeviceStateTest : public ::testing::Test {
 protected:
  SimDeviceStateTest() { profile_.LoadCommandProfileFromBuffer(SimFixtureProfileXml()); }

  std::vector<std::string>& Values(TSimDeviceState& state, const std::string& name) {
    int page = -1, command = -1;
    EXPECT_TRUE(profile_.FindCommand(name, page, command));
    return state.Values(page, command);
  }

  CommandProfile profile_;
  TSimValueChecker checker_;
  test::TempDir dir_;
  std::string path_ = dir_.File("state.txt");
};

TEST_F(SimDeviceStateTest, SavedValuesComeBackExactly) {
  TSimDeviceState saved(profile_);
  Values(saved, "+ABCD") = {"x", "9"};
  Values(saved, "+IDX") = {"7", "0ABC", "0", "0010"};
  Values(saved, "+NAM") = {"Ёлка ёж"};
  Values(saved, "+RO") = {"a, b"};
  ASSERT_TRUE(saved.SaveFile(path_));
  TSimDeviceState loaded(profile_);
  ASSERT_TRUE(loaded.LoadFile(path_, checker_));
  EXPECT_EQ(Values(loaded, "+ABCD"), (std::vector<std::string>{"x", "9"}));
  EXPECT_EQ(Values(loaded, "+IDX"), (std::vector<std::string>{"7", "0ABC", "0", "0010"}));
  EXPECT_EQ(Values(loaded, "+NAM"), (std::vector<std::string>{"Ёлка ёж"}));
  EXPECT_EQ(Values(loaded, "+RO"), (std::vector<std::string>{"a, b"}));
  EXPECT_EQ(access((path_ + ".tmp").c_str(), F_OK), -1) << "no temporary file left";
}

TEST_F(SimDeviceStateTest, DamagedStateFileKeepsWhatIsValid) {
  std::ofstream(path_) << "garbage without equals\n"
                       << "+NOPE=1,2,\n"
                       << "+ABCD=xyz,500,\n"   // second value out of range
                       << "+IDX=7,\n"          // too few values
                       << "+USR=1,2,3,4,5,\n"  // too many
                       << "=\n";
  TSimDeviceState state(profile_);
  ASSERT_TRUE(state.LoadFile(path_, checker_));
  EXPECT_EQ(Values(state, "+ABCD"), (std::vector<std::string>{"xyz", "5"}));
  EXPECT_EQ(Values(state, "+IDX"), (std::vector<std::string>{"7", "00FF", "1", "00FF"}));
  EXPECT_EQ(Values(state, "+USR"), (std::vector<std::string>{"1"}));
  EXPECT_FALSE(state.LoadFile("/nonexistent/state.txt", checker_));
}

}  // namespace
}  // namespace quillon
