// quillon-cli profile and xml-scan, run as the built program from the folder of the executables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

class CliProfile : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& data) {
    return dir_.Write(name, data);
  }
  TProgramRun Run(const std::vector<std::string>& args) {
    return RunProgram("./quillon-cli", args);
  }
  TempDir dir_;
};

const char8_t kProfile[] =
    u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    u8"<application><title> Тест \"1\" </title><inputwidth>12</inputwidth>\n"
    u8"<page id=\"7\" name=\"Стр\">\n"
    u8" <command command=\"+ABCD\" description=\"Д\" maxindex=\"2\" polldata=\"1\" "
    u8"timeout=\"100\">\n"
    u8"  <parameter type=\"hex\" description=\"h\" minvalue=\"1\" maxvalue=\"$FF\" maxlen=\"4\""
    u8" optional=\"0\" defaultvalue=\"00FF\" onleave_mask=\"^\\d+$\"/>\n"
    u8"  <parameter type=\"option\" overwrite=\"false\"><option value=\"1\" "
    u8"text=\"один\"/></parameter>\n"
    u8" </command>\n"
    u8" <command command=\"+TEXT\" groupsetdata=\"0\" passwordmode=\"user\"/>\n"
    u8"</page></application>\n";

TEST_F(CliProfile, JsonHoldsTheModelAsLoaded) {
  std::string file = Write("profile.xml", U8(kProfile));
  TProgramRun r = Run({"profile", "--json", file});
  ASSERT_EQ(r.Code, 0) << r.Err;
  std::string expected = U8(
      u8"{\"Title\":\"Тест \\\"1\\\"\",\"InputWidth\":12,\"Pages\":[{\"Id\":\"7\",\"Name\":\"Стр\","
      u8"\"Commands\":[{\"Name\":\"+ABCD\",\"Description\":\"Д\",\"PollData\":true,"
      u8"\"SetData\":true,\"GroupSetData\":\"gsAuto\",\"ExportData\":false,\"Indexed\":true,"
      u8"\"MaxIndex\":2,\"PollProcessor\":\"\",\"PasswordMode\":\"pmAdminUser\","
      u8"\"Attributes\":[{\"Name\":\"command\",\"Value\":\"+ABCD\"},{\"Name\":\"description\","
      u8"\"Value\":\"Д\"},{\"Name\":\"maxindex\",\"Value\":\"2\"},{\"Name\":\"polldata\","
      u8"\"Value\":\"1\"},{\"Name\":\"timeout\",\"Value\":\"100\"}],"
      u8"\"Parameters\":[{\"ParamType\":\"ptHex\",\"Description\":\"h\",\"Suffix\":\"\","
      u8"\"Optional\":false,\"MinValue\":1,\"MaxValue\":255,\"OnCharMask\":\"\","
      u8"\"OnLeaveMask\":\"^\\\\d+$\",\"DefaultValue\":\"00FF\",\"MaxLen\":4,\"Overwrite\":true,"
      u8"\"Options\":[]},{\"ParamType\":\"ptOption\",\"Description\":\"\",\"Suffix\":\"\","
      u8"\"Optional\":true,\"MinValue\":0,\"MaxValue\":4294967295,\"OnCharMask\":\"\","
      u8"\"OnLeaveMask\":\"\",\"DefaultValue\":\"\",\"MaxLen\":0,\"Overwrite\":false,"
      u8"\"Options\":[{\"Value\":\"1\",\"Text\":\"один\"}]}]},"
      u8"{\"Name\":\"+TEXT\",\"Description\":\"\",\"PollData\":false,\"SetData\":true,"
      u8"\"GroupSetData\":\"gsNo\",\"ExportData\":false,\"Indexed\":false,\"MaxIndex\":-1,"
      u8"\"PollProcessor\":\"exitcmd\",\"PasswordMode\":\"pmUser\",\"Attributes\":["
      u8"{\"Name\":\"command\",\"Value\":\"+TEXT\"},{\"Name\":\"groupsetdata\",\"Value\":\"0\"},"
      u8"{\"Name\":\"passwordmode\",\"Value\":\"user\"}],\"Parameters\":[]}]}]}\n");
  EXPECT_EQ(r.Out, expected);
}

TEST_F(CliProfile, PlainTextForPeople) {
  std::string file = Write("profile.xml", U8(kProfile));
  TProgramRun r = Run({"profile", file});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char8_t* piece : {u8"Тест \"1\"", u8"Стр", u8"+ABCD", u8"один", u8"timeout=\"100\"",
                               u8"+TEXT", u8"2 instances"})
    EXPECT_NE(r.Out.find(U8(piece)), std::string::npos) << U8(piece) << "\n" << r.Out;
}

TEST_F(CliProfile, DefaultsToTheProfileBesideTheProgram) {
  TProgramRun r = Run({"profile", "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("{\"Title\":\"", 0), 0u);
  EXPECT_NE(r.Out.find("\"Name\":\"+SRBT\""), std::string::npos);
}

TEST_F(CliProfile, UnreadableFilesFailLoudly) {
  const std::vector<std::vector<std::string>> cases = {
      {"profile", "no-such-profile.xml"},
      {"profile", "--json", "/"},
      {"xml-scan", "no-such-file.xml"},
      {"xml-scan"},
      {"profile", "--bogus"},
  };
  for (const auto& args : cases) {
    TProgramRun r = Run(args);
    EXPECT_NE(r.Code, 0) << args.back();
    EXPECT_TRUE(r.Out.empty()) << args.back();
    EXPECT_FALSE(r.Err.empty()) << args.back();
  }
}

TEST_F(CliProfile, XmlScanListsEveryPart) {
  std::string file = Write("scan.xml", U8(u8"<?xml version=\"1.0\"?>\n"
                                          u8"<!DOCTYPE r [<!ENTITY e \"Ж\">]>\n"
                                          u8"<r b=\"2\" a=\"&e;\t\"><!--c-->текст &e;"
                                          u8"<![CDATA[x<y]]></r>"));
  TProgramRun r = Run({"xml-scan", file});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(
      r.Out,
      U8(u8"{\"kind\":1,\"name\":\"\",\"content\":\"\",\"attributes\":[[\"version\",\"1.0\"]]}\n"
         u8"{\"kind\":4,\"name\":\"\",\"content\":\"\",\"attributes\":[[\"version\",\"1.0\"]]}\n"
         u8"{\"kind\":5,\"name\":\"r\",\"content\":\"\",\"attributes\":[[\"a\",\"Ж "
         u8"\"],[\"b\",\"2\"]]}\n"
         u8"{\"kind\":2,\"name\":\"r\",\"content\":\"\",\"attributes\":[[\"a\",\"Ж "
         u8"\"],[\"b\",\"2\"]]}\n"
         u8"{\"kind\":8,\"name\":\"r\",\"content\":\"текст Ж\",\"attributes\":[[\"a\",\"Ж "
         u8"\"],[\"b\",\"2\"]]}\n"
         u8"{\"kind\":9,\"name\":\"r\",\"content\":\"x<y\",\"attributes\":[[\"a\",\"Ж "
         u8"\"],[\"b\",\"2\"]]}\n"
         u8"{\"kind\":7,\"name\":\"r\",\"content\":\"x<y\",\"attributes\":[]}\n"));
}

}  // namespace
}  // namespace quillon::test
