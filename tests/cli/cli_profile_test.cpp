// quillon-cli profile and xml-scan, run as the built program from the folder of the executables.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace quillon {
namespace {

std::string U8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CliProfile : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& f : files_) std::remove(f.c_str());
  }
  std::string Write(const std::string& name, const std::string& data) {
    std::string path = Scratch(name);
    std::ofstream(path, std::ios::binary) << data;
    files_.push_back(path);
    return path;
  }
  RunResult Run(const std::string& args) {
    std::string errFile = Scratch("stderr.txt");
    files_.push_back(errFile);
    RunResult r;
    std::FILE* p = popen(("./quillon-cli " + args + " 2>" + errFile).c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.out.append(buffer, n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile, std::ios::binary);
    std::stringstream ss;
    ss << err.rdbuf();
    r.err = ss.str();
    return r;
  }
  // Tests of this suite run as parallel processes: each keeps to files of its own.
  static std::string Scratch(const std::string& name) {
    return ::testing::TempDir() + "quillon_cli_profile_" + std::to_string(getpid()) + "_" + name;
  }
  std::vector<std::string> files_;
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
  RunResult r = Run("profile --json " + file);
  ASSERT_EQ(r.code, 0) << r.err;
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
  EXPECT_EQ(r.out, expected);
}

TEST_F(CliProfile, PlainTextForPeople) {
  std::string file = Write("profile.xml", U8(kProfile));
  RunResult r = Run("profile " + file);
  ASSERT_EQ(r.code, 0) << r.err;
  for (const char8_t* piece : {u8"Тест \"1\"", u8"Стр", u8"+ABCD", u8"один", u8"timeout=\"100\"",
                               u8"+TEXT", u8"2 instances"})
    EXPECT_NE(r.out.find(U8(piece)), std::string::npos) << U8(piece) << "\n" << r.out;
}

TEST_F(CliProfile, DefaultsToTheProfileBesideTheProgram) {
  RunResult r = Run("profile --json");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("{\"Title\":\"", 0), 0u);
  EXPECT_NE(r.out.find("\"Name\":\"+SRBT\""), std::string::npos);
}

TEST_F(CliProfile, UnreadableFilesFailLoudly) {
  for (const std::string args : {"profile no-such-profile.xml", "profile --json /",
                                 "xml-scan no-such-file.xml", "xml-scan", "profile --bogus"}) {
    RunResult r = Run(args);
    EXPECT_NE(r.code, 0) << args;
    EXPECT_TRUE(r.out.empty()) << args;
    EXPECT_FALSE(r.err.empty()) << args;
  }
}

TEST_F(CliProfile, XmlScanListsEveryPart) {
  std::string file = Write("scan.xml", U8(u8"<?xml version=\"1.0\"?>\n"
                                          u8"<!DOCTYPE r [<!ENTITY e \"Ж\">]>\n"
                                          u8"<r b=\"2\" a=\"&e;\t\"><!--c-->текст &e;"
                                          u8"<![CDATA[x<y]]></r>"));
  RunResult r = Run("xml-scan " + file);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(
      r.out,
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
}  // namespace quillon
