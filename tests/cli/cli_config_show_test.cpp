// quillon-cli config show: its arguments in process, and the built program reading files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/config_show.h"
#include "configfiles/bounded_inflater.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::cli {
namespace {

TEST(CliConfigShow, ParsesItsArguments) {
  struct TCase {
    std::vector<std::string> Args;
    std::string Error;  // a piece of it; "" for none
    std::string File, Profile;
    bool Json;
  };
  const TCase cases[] = {
      {{"a.zxml"}, "", "a.zxml", "", false},
      {{"--json", "a.zxml", "--profile", "p.xml"}, "", "a.zxml", "p.xml", true},
      {{}, "FILE is required", "", "", false},
      {{"--json"}, "FILE is required", "", "", true},
      {{"a", "b"}, "unexpected argument 'b'", "a", "", false},
      {{"a", "--profile"}, "--profile needs a FILE", "a", "", false},
      {{"a", "--port", "x"}, "unknown option '--port'", "a", "", false},
  };
  for (const TCase& c : cases) {
    TConfigShowArgs out;
    const std::string error = ParseConfigShowArgs(c.Args, out);
    if (c.Error.empty()) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(out.File, c.File);
      EXPECT_EQ(out.ProfileFile, c.Profile);
      EXPECT_EQ(out.Json, c.Json);
    } else {
      EXPECT_NE(error.find(c.Error), std::string::npos) << error;
    }
  }
}

const char8_t kProfile[] =
    u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><page id=\"1\" name=\"P\">"
    u8"<command command=\"+SRV\" description=\"Серверы\" maxindex=\"2\" exportdata=\"1\">"
    u8"<parameter type=\"string\" description=\"Адрес\" optional=\"0\" defaultvalue=\"-\"/>"
    u8"<parameter type=\"integer\" description=\"Порт\" minvalue=\"1\" maxvalue=\"9\" "
    u8"defaultvalue=\"5\"/>"
    u8"<parameter type=\"option\" description=\"Вид\" optional=\"0\" defaultvalue=\"t\">"
    u8"<option value=\"t\" text=\"ТСР\"/><option value=\"u\" text=\"UDP\"/></parameter>"
    u8"</command><command command=\"+OFF\" description=\"Нет\"/></page></application>";

class CliConfigShowRun : public ::testing::Test {
 protected:
  std::string Config(const std::string& name, const std::string& xml) {
    return dir_.Write(name, DeflateBest(xml));
  }
  test::TProgramRun Show(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"config", "show", "--profile", profile_};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunProgram("./quillon-cli", all);
  }
  test::TempDir dir_;
  std::string profile_ = dir_.Write("profile.xml", test::U8(kProfile));
};

TEST_F(CliConfigShowRun, ShowsTheNamedInstancesAsJson) {
  const std::string file = Config(
      "a.zxml", test::U8(u8"<Quillon><ExportCommandParamenters><command name=\"+SRV\">"
                         u8"<index index=\"1\"><parameter index=\"0\">Хост &amp; 1</parameter>"
                         u8"<parameter index=\"1\" enabled=\"0\">7</parameter>"
                         u8"<parameter index=\"2\">u</parameter></index></command>"
                         u8"<command name=\"+OFF\"/></ExportCommandParamenters></Quillon>"));
  const test::TProgramRun r = Show({"--json", file});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"file\": \"" + file + "\", \"commands\": [\n" +
                test::U8(u8"  {\"command\": \"+SRV\", \"description\": \"Серверы\", "
                         u8"\"instances\": [{\"instance\": 2, \"parameters\": ["
                         u8"{\"index\": 0, \"description\": \"Адрес\", \"type\": \"string\", "
                         u8"\"enabled\": null, \"value\": \"Хост & 1\", \"text\": null}, "
                         u8"{\"index\": 1, \"description\": \"Порт\", \"type\": \"integer\", "
                         u8"\"enabled\": false, \"value\": \"7\", \"text\": null}, "
                         u8"{\"index\": 2, \"description\": \"Вид\", \"type\": \"option\", "
                         u8"\"enabled\": null, \"value\": \"u\", \"text\": \"UDP\"}]}]},\n"
                         u8"  {\"command\": \"+OFF\", \"description\": \"Нет\", "
                         u8"\"instances\": []}\n"
                         u8"], \"messages\": []}\n"));
}

TEST_F(CliConfigShowRun, ExitsOneWhenTheLoaderWouldSayAnything) {
  const std::string values =
      Config("v.zxml",
             "<command name=\"+SRV\"><index index=\"0\"><parameter index=\"1\">12</parameter>"
             "<parameter index=\"2\">x</parameter></index></command>");
  test::TProgramRun r = Show({values});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Out.find("[1] " + test::U8(u8"Порт = 5")), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find(test::U8(u8"Messages:\n  Значение выходит за рамки диапазона: 12\n"
                                u8"  Значение не в списке допустимых: x\n")),
            std::string::npos)
      << r.Out;

  r = Show({"--json", Config("stop.zxml", "<command name=\"+NONE\"/>")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Out.find(test::U8(u8"\"messages\": [\"Команда +NONE не найдена\"]")),
            std::string::npos)
      << r.Out;

  const std::string cut = dir_.Write("cut.zxml", DeflateBest("<Quillon/>").substr(0, 6));
  r = Show({cut});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("config show: Error: "), std::string::npos) << r.Err;

  r = Show({dir_.path() + "/missing.zxml"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Out.find(test::U8(u8"Не могу открыть файл, ошибка=")), std::string::npos);

  r = test::RunProgram("./quillon-cli", {"config", "show"});
  EXPECT_EQ(r.Code, 2);
}

TEST_F(CliConfigShowRun, HelpListsTheJsonFields) {
  const test::TProgramRun r = test::RunProgram("./quillon-cli", {"config", "show", "--help"});
  EXPECT_EQ(r.Code, 0);
  for (const char* field : {"\"file\"", "\"commands\"", "\"instances\"", "\"enabled\"", "\"value\"",
                            "\"text\"", "\"messages\""})
    EXPECT_NE(r.Out.find(field), std::string::npos) << field;
}

}  // namespace
}  // namespace quillon::cli
