// quillon-cli's frame and argument rules, in process: the parsers return errors instead of
// printing, so one table covers what a script may pass; the help is checked as printed.
#include "cli/cli_arguments.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "profile/command_profile.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::cli {
namespace {

struct TParseCase {
  const char* What;
  std::string (*Parse)(const Args&);
  Args Arguments;
  std::string Error;  // "" when the arguments are good; else a piece of the message
};

template <typename TArgs, std::string (*F)(const Args&, TArgs&)>
std::string Parsed(const Args& args) {
  TArgs out;
  return F(args, out);
}

const auto kProfile = Parsed<TProfileArgs, ParseProfileArgs>;
const auto kXmlScan = Parsed<TXmlScanArgs, ParseXmlScanArgs>;
const auto kSettings = Parsed<TSettingsArgs, ParseSettingsArgs>;
const auto kConnect = Parsed<TConnectArgs, ParseConnectArgs>;
const auto kSend = Parsed<TSendArgs, ParseSendArgs>;
const auto kPoll = Parsed<TPollArgs, ParsePollArgs>;
const auto kApply = Parsed<TApplyArgs, ParseApplyArgs>;

TEST(CliArguments, EveryParserReturnsItsError) {
  const std::vector<TParseCase> cases = {
      {"profile default", kProfile, {}, ""},
      {"profile file and json", kProfile, {"p.xml", "--json"}, ""},
      {"profile two files", kProfile, {"a.xml", "b.xml"}, "unexpected argument 'b.xml'"},
      {"profile unknown option", kProfile, {"--bogus"}, "unknown option '--bogus'"},
      {"xml-scan file", kXmlScan, {"f.xml"}, ""},
      {"xml-scan nothing", kXmlScan, {}, "FILE is required"},
      {"xml-scan option", kXmlScan, {"--json"}, "unknown option"},
      {"settings ini", kSettings, {"--ini", "x.ini", "--json"}, ""},
      {"settings ini without file", kSettings, {"--ini"}, "missing value after --ini"},
      {"settings stray", kSettings, {"x"}, "unexpected argument 'x'"},
      {"connect port", kConnect, {"--port", "/dev/ttyUSB0", "--verbose"}, ""},
      {"connect network port", kConnect, {"--port", "rfc2217://[::1]:2000"}, ""},
      {"connect no port number", kConnect, {"--port", "tcp://gw"}, "bad port address 'tcp://gw': "},
      {"poll unknown scheme", kPoll, {"--port", "ssh://gw:22"}, "bad port address 'ssh://gw:22'"},
      {"apply port out of range",
       kApply,
       {"--port", "tcp://gw:70000", "--command", "+SSRV"},
       "bad port address 'tcp://gw:70000'"},
      {"connect fast", kConnect, {"--fast"}, ""},
      {"send fast", kSend, {"--fast", "AT+SSRV=?"}, ""},
      {"poll fast", kPoll, {"--page", "2", "--fast"}, ""},
      {"apply fast", kApply, {"--command", "+SSRV", "--fast", "--instance", "2"}, ""},
      {"connect stray", kConnect, {"--port", "p", "now"}, "unexpected argument 'now'"},
      {"connect bad number", kConnect, {"--timeout", "soon"}, "invalid value for --timeout"},
      {"connect no tries", kConnect, {"--connect-tries", "0"}, "at least 1"},
      {"send text", kSend, {"--port", "p", "--no-cr", "AT+SSRV=?"}, ""},
      {"send nothing", kSend, {"--port", "p"}, "exactly one TEXT"},
      {"send two texts", kSend, {"a", "b"}, "exactly one TEXT"},
      {"send unknown option", kSend, {"--no-echo", "a"}, "unknown option '--no-echo'"},
      {"poll all", kPoll, {"--port", "p", "--json"}, ""},
      {"poll page", kPoll, {"--page", "2"}, ""},
      {"poll page and command", kPoll, {"--page", "2", "--command", "+SSRV"}, "exclude"},
      {"poll page without id", kPoll, {"--page"}, "missing value after --page"},
      {"poll stray", kPoll, {"+SSRV"}, "unexpected argument '+SSRV'"},
      {"poll retry count", kPoll, {"--retry-count", "0"}, "--retry-count"},
      {"apply", kApply, {"--command", "+SSRV", "--instance", "2", "--set", "0=a=b"}, ""},
      {"apply without command", kApply, {"--set", "0=1"}, "--command NAME is required"},
      {"apply instance 0", kApply, {"--command", "+A", "--instance", "0"}, "count from 1"},
      {"apply set without =", kApply, {"--command", "+A", "--set", "0"}, "INDEX=VALUE"},
      {"apply unset without index", kApply, {"--command", "+A", "--unset"}, "missing value"},
      {"apply stray", kApply, {"--command", "+A", "--store-it"}, "unexpected argument"},
      {"apply no poll first", kApply, {"--command", "+A", "--no-poll-first"}, ""},
      {"apply poll first both ways",
       kApply,
       {"--command", "+A", "--poll-first", "--no-poll-first"},
       "exclude each other"},
  };
  for (const TParseCase& c : cases) {
    const std::string error = c.Parse(c.Arguments);
    if (c.Error.empty())
      EXPECT_EQ(error, "") << c.What;
    else
      EXPECT_NE(error.find(c.Error), std::string::npos) << c.What << ": " << error;
  }
}

TEST(CliArguments, ParsedValuesLandInTheirFields) {
  TApplyArgs apply;
  ASSERT_EQ(ParseApplyArgs(
                {"--port", "/dev/ttyS1", "--command", "+SSRV", "--instance", "3", "--set", "1=a=b",
                 "--unset", "2", "--poll-first", "--json", "--master-password", "5678"},
                apply),
            "");
  EXPECT_EQ(apply.Engine.Link.Port, "/dev/ttyS1");
  EXPECT_EQ(apply.CommandName, "+SSRV");
  EXPECT_EQ(apply.Instance, 3);
  ASSERT_EQ(apply.Sets.size(), 1u);
  EXPECT_EQ(apply.Sets[0].first, "1");
  EXPECT_EQ(apply.Sets[0].second, "a=b") << "only the first = splits";
  EXPECT_EQ(apply.Unsets, std::vector<std::string>{"2"});
  EXPECT_TRUE(apply.PollFirst);
  EXPECT_FALSE(apply.NoPollFirst);
  EXPECT_TRUE(apply.Engine.Json);
  EXPECT_EQ(apply.Engine.MasterPassword.value_or(""), "5678");

  TSendArgs send;
  ASSERT_EQ(ParseSendArgs({"--no-connect", "--no-wait", "AT"}, send), "");
  EXPECT_TRUE(send.NoConnect && send.NoWait && !send.NoCr);
  EXPECT_EQ(send.Text, "AT");
}

// One command with every parameter type, indexed, as the checks meet them.
const char kProfileXml[] =
    "<application><page id=\"1\" name=\"p\">"
    "<command command=\"+SSRV\" maxindex=\"3\">"
    "<parameter type=\"string\" maxlen=\"5\" optional=\"0\" onleave_mask=\"^[a-z.]*$\"/>"
    "<parameter type=\"integer\" minvalue=\"1\" maxvalue=\"65535\"/>"
    "<parameter type=\"option\"><option value=\"0\" text=\"TCP\"/>"
    "<option value=\"1\" text=\"UDP\"/></parameter>"
    "<parameter type=\"hex\" maxlen=\"4\" minvalue=\"0\" maxvalue=\"$FFF\" optional=\"1\"/>"
    "</command>"
    "<command command=\"+SGPR\"><parameter type=\"string\"/></command>"
    "</page></application>";

TEST(CliArguments, ValuesAreCheckedAgainstTheProfileAndNamedByAddress) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(kProfileXml);
  const TDevCommand& ssrv = profile.Pages.at(0).Commands.at(0);
  const TDevCommand& sgpr = profile.Pages.at(0).Commands.at(1);

  struct TValueCase {
    int Instance;
    std::vector<std::pair<std::string, std::string>> Sets;
    std::vector<std::string> Unsets;
    std::string Error;  // "" when good
  };
  const std::vector<TValueCase> cases = {
      {2, {{"0", "a.b"}, {"1", "80"}, {"2", "UDP"}, {"3", "0ff"}}, {}, ""},
      {2, {{"1", "70000"}}, {}, "+SSRV#2[1] = 70000: out of range 1..65535"},
      {1, {{"1", "8O"}}, {}, "+SSRV#1[1] = 8O: not a decimal integer"},
      {1, {{"0", "a,b"}}, {}, "a value cannot contain a comma"},
      {1, {{"0", "toolong"}}, {}, "longer than 5"},
      {1, {{"0", "ABC"}}, {}, "does not match the mask"},
      {1, {{"2", "SCTP"}}, {}, "not one of the values 0 (TCP) 1 (UDP)"},
      {1, {{"3", "1000"}}, {}, "+SSRV#1[3] = 1000: out of range"},
      {1, {{"3", "12345"}}, {}, "at most 4 digits"},
      {1, {{"9", "1"}}, {}, "--set 9: +SSRV has parameters 0..3"},
      {1, {{"1", "80"}, {"1", "81"}}, {}, "+SSRV#1[1] is given twice"},
      {1, {}, {"3"}, ""},
      {1, {}, {"0"}, "--unset 0: +SSRV#1[0] is not optional"},
  };
  for (const TValueCase& c : cases) {
    TApplyArgs request;
    request.Instance = c.Instance;
    request.Sets = c.Sets;
    request.Unsets = c.Unsets;
    std::vector<TPreparedValue> prepared;
    const std::string error = PrepareValues(ssrv, request, prepared);
    if (c.Error.empty()) {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error.find(c.Error), std::string::npos) << c.Error << " | " << error;
    }
  }

  // The texts to send: an option's text becomes its value, hexadecimal is upper case.
  TApplyArgs request;
  request.Sets = {{"2", "UDP"}, {"3", "0ff"}};
  std::vector<TPreparedValue> prepared;
  ASSERT_EQ(PrepareValues(ssrv, request, prepared), "");
  EXPECT_EQ(prepared.at(0).Value, "1");
  EXPECT_EQ(prepared.at(1).Value, "0FF");

  int instance = -1;
  EXPECT_EQ(ResolveInstance(ssrv, 3, instance), "");
  EXPECT_EQ(instance, 2);
  EXPECT_NE(ResolveInstance(ssrv, 0, instance).find("--instance 1..3 is required"),
            std::string::npos);
  EXPECT_NE(ResolveInstance(ssrv, 4, instance), "");
  EXPECT_EQ(ResolveInstance(sgpr, 0, instance), "");
  EXPECT_EQ(instance, 0);
  EXPECT_NE(ResolveInstance(sgpr, 2, instance).find("not indexed"), std::string::npos);
}

// ---- the frame ----

int RunNothing(const Args&) {
  return 42;
}
std::string NothingUsage() {
  return "usage: quillon-cli nothing [--deep]\n\nDoes nothing.\n";
}
int Nested(const Args& args) {
  return static_cast<int>(args.size());
}

const std::vector<TSubCommand> kTable = {
    {"nothing", RunNothing, "does nothing", NothingUsage},
    {"nested", Nested, "has subcommands of its own", nullptr},
};

struct TCaptured {
  int Code = -1;
  std::string Out;
  std::string Err;
};

TCaptured RunFrame(const Args& args) {
  char* outText = nullptr;
  char* errText = nullptr;
  size_t outSize = 0, errSize = 0;
  std::FILE* out = open_memstream(&outText, &outSize);
  std::FILE* err = open_memstream(&errText, &errSize);
  TCaptured captured;
  captured.Code = RunCommandLine(kTable, args, out, err);
  std::fclose(out);
  std::fclose(err);
  captured.Out.assign(outText, outSize);
  captured.Err.assign(errText, errSize);
  std::free(outText);
  std::free(errText);
  return captured;
}

TEST(CliFrame, HelpVersionAndDispatch) {
  struct TCase {
    Args Arguments;
    int Code;
    std::string Out;  // a piece of stdout ("" when it must stay empty)
    std::string Err;  // a piece of stderr ("" when it must stay empty)
  };
  const std::vector<TCase> cases = {
      {{}, 2, "", "usage: quillon-cli COMMAND"},
      {{"--help"}, 0, "  nothing  does nothing\n", ""},
      {{"-h"}, 0, "Exit codes: 0 done", ""},
      {{"--version"}, 0, "quillon-cli ", ""},
      {{"bogus"}, 2, "", "unknown command 'bogus'"},
      {{"nothing"}, 42, "", ""},
      {{"nothing", "--help"}, 0, "usage: quillon-cli nothing [--deep]", ""},
      {{"nothing", "--deep", "-h"}, 0, "+SSRV#2[0]", ""},
      {{"nested", "save", "--help"}, 2, "", ""},  // handed on: it answers --help itself
  };
  for (const TCase& c : cases) {
    const TCaptured r = RunFrame(c.Arguments);
    const std::string what = c.Arguments.empty() ? "(none)" : c.Arguments.back();
    EXPECT_EQ(r.Code, c.Code) << what;
    if (c.Out.empty())
      EXPECT_EQ(r.Out, "") << what;
    else
      EXPECT_NE(r.Out.find(c.Out), std::string::npos) << what << ": " << r.Out;
    if (c.Err.empty())
      EXPECT_EQ(r.Err, "") << what;
    else
      EXPECT_NE(r.Err.find(c.Err), std::string::npos) << what << ": " << r.Err;
  }
  EXPECT_NE(TopLevelHelp(kTable).find(kExitCodesHelp), std::string::npos);
  EXPECT_NE(TopLevelHelp(kTable).find(kNumberingHelp), std::string::npos);
}

// A malformed address is a usage error wherever a port is named, before anything is opened.
TEST(CliProgram, BadPortAddressesAreUsageErrors) {
  for (const Args& args :
       {Args{"connect", "--port", "tcp://gw"}, Args{"poll", "--port", "rfc2217://gw:0"},
        Args{"status", "--port", "ftp://gw:21", "--count", "1"},
        Args{"config", "save", "x.zxml", "--port", "tcp://::1:2000"},
        Args{"provision", "--config", "t.zxml", "--ports", "/dev/null,tcp://gw"}}) {
    const test::TProgramRun r = test::RunProgram("./quillon-cli", args);
    EXPECT_EQ(r.Code, 2) << args[0] << ": " << r.Err;
    EXPECT_NE(r.Err.find("bad port address '"), std::string::npos) << args[0] << ": " << r.Err;
    EXPECT_EQ(r.Out, "") << args[0];
  }
}

// The built program: every command the top-level help lists answers --help with its usage,
// the numbering and the exit codes, on stdout with exit code 0, wherever --help stands.
TEST(CliProgram, EveryListedCommandAnswersHelp) {
  const test::TProgramRun top = test::RunProgram("./quillon-cli", {"--help"});
  ASSERT_EQ(top.Code, 0) << top.Err;
  const size_t from = top.Out.find("Commands:\n");
  ASSERT_NE(from, std::string::npos) << top.Out;
  std::vector<std::string> names;
  for (size_t at = top.Out.find('\n', from) + 1; top.Out.compare(at, 2, "  ") == 0;
       at = top.Out.find('\n', at) + 1)
    names.push_back(top.Out.substr(at + 2, top.Out.find(' ', at + 2) - at - 2));
  ASSERT_GE(names.size(), 7u) << top.Out;
  for (const std::string& name : names) {
    for (const Args& args : {Args{name, "--help"}, Args{name, "--port", "/dev/null", "-h"}}) {
      const test::TProgramRun r = test::RunProgram("./quillon-cli", args);
      EXPECT_EQ(r.Code, 0) << name << ": " << r.Err;
      EXPECT_EQ(r.Out.rfind("usage: quillon-cli " + name, 0), 0u) << r.Out;
      EXPECT_NE(r.Out.find("Exit codes: 0 done"), std::string::npos) << name;
      // Whatever talks to a terminal (it has a port option) takes --fast.
      if (r.Out.find("\n  --port") != std::string::npos) {
        EXPECT_NE(r.Out.find("--fast"), std::string::npos) << name;
      }
    }
  }
  for (const Args& args : {Args{"config", "save", "--help"}, Args{"config", "load", "--help"},
                           Args{"config", "diff", "--help"}}) {
    const test::TProgramRun r = test::RunProgram("./quillon-cli", args);
    EXPECT_NE(r.Out.find("--fast"), std::string::npos) << args[1] << ": " << r.Out;
  }
  const test::TProgramRun version = test::RunProgram("./quillon-cli", {"--version"});
  EXPECT_EQ(version.Code, 0);
  EXPECT_EQ(version.Out.rfind("quillon-cli ", 0), 0u) << version.Out;
}

// --password is the user password: a command that takes the master one says so before
// anything is opened.
TEST(CliProgram, ApplyWithTheUserPasswordOnAMasterCommand) {
  test::TempDir dir;
  const std::string profile = dir.Write(
      "profile.xml",
      "<application><page id=\"1\" name=\"p\">"
      "<command command=\"+SSRV\" passwordmode=\"admin\"><parameter type=\"integer\"/></command>"
      "</page></application>");
  // The build folder holds no settings file: the passwords come from the command line only.
  const test::TProgramRun r = test::RunProgram(
      "./quillon-cli", {"apply", "--profile", profile, "--port", "/nonexistent/tty", "--command",
                        "+SSRV", "--set", "0=1", "--password", "1234"});
  EXPECT_EQ(r.Code, 1) << r.Err;
  EXPECT_NE(r.Err.find("+SSRV needs the master password"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("--password is the user password"), std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find("cannot open port"), std::string::npos) << r.Err;
}

}  // namespace
}  // namespace quillon::cli
