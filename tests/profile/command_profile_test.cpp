#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "profile/command_profile.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon {
namespace {

// UTF-8 bytes of a u8 literal as a plain string (narrow literals here are Windows-1251).
using test::U8;

// A profile of one page holding `body`.
CommandProfile LoadPage(const std::string& body) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer("<application><page id=\"1\" name=\"P\">" + body +
                                       "</page></application>");
  return profile;
}

const TDevCommand& OnlyCommand(const CommandProfile& profile) {
  static const TDevCommand none;
  if (profile.Pages.size() != 1 || profile.Pages[0].Commands.size() != 1) {
    ADD_FAILURE() << "expected one page with one command";
    return none;
  }
  return profile.Pages[0].Commands[0];
}

TDevCommand LoadCommand(const std::string& attributes) {
  return OnlyCommand(LoadPage("<command command=\"+ABCD\" " + attributes + "/>"));
}

TCmdParameter LoadParameter(const std::string& attributes) {
  CommandProfile profile =
      LoadPage("<command command=\"+ABCD\"><parameter " + attributes + "/></command>");
  const TDevCommand& cmd = OnlyCommand(profile);
  if (cmd.Parameters.size() != 1) {
    ADD_FAILURE() << attributes;
    return {};
  }
  return cmd.Parameters[0];
}

TEST(CommandProfile, DefaultsOfABareCommandAndParameter) {
  CommandProfile profile =
      LoadPage("<command command=\"+ABCD\"><parameter/><parameter type=\"integer\"/></command>");
  const TDevCommand& cmd = OnlyCommand(profile);
  EXPECT_EQ(cmd.Name, "+ABCD");
  EXPECT_FALSE(cmd.PollData);
  EXPECT_TRUE(cmd.SetData);
  EXPECT_EQ(cmd.GroupSetData, gsAuto);
  EXPECT_FALSE(cmd.ExportData);
  EXPECT_FALSE(cmd.Indexed);
  EXPECT_EQ(cmd.MaxIndex, -1);
  EXPECT_EQ(cmd.PollProcessor, "nonpoll");
  EXPECT_EQ(cmd.Description, "");
  EXPECT_EQ(cmd.PasswordMode, pmAdminUser);
  ASSERT_EQ(cmd.Attributes.size(), 1u);
  ASSERT_EQ(cmd.Parameters.size(), 2u);

  const TCmdParameter& s = cmd.Parameters[0];
  EXPECT_EQ(s.ParamType, ptString);
  EXPECT_TRUE(s.Optional);
  EXPECT_TRUE(s.Overwrite);
  EXPECT_EQ(s.MinValue, 0);
  EXPECT_EQ(s.MaxValue, 4294967295LL);
  EXPECT_EQ(s.MaxLen, 0);
  EXPECT_EQ(s.DefaultValue, "");
  EXPECT_TRUE(s.Options.empty());

  const TCmdParameter& i = cmd.Parameters[1];
  EXPECT_EQ(i.ParamType, ptInteger);
  EXPECT_EQ(i.MinValue, -2147483648LL);
  EXPECT_EQ(i.MaxValue, 2147483647LL);
}

TEST(CommandProfile, FieldsAsWritten) {
  CommandProfile profile = LoadPage(
      U8(u8"<command command=\"+SSRV\" description=\"Серверы\" polldata=\"1\" setdata=\"0\" "
         u8"exportdata=\"true\" maxindex=\"3\" timeout=\"5000\">"
         u8"<parameter type=\"option\" description=\"Протокол\" suffix=\"шт\" optional=\"false\" "
         u8"overwrite=\"0\" defaultvalue=\"1\" onchar_mask=\"^[0-9]*$\" onleave_mask=\"^[0-9]+$\">"
         u8"<option value=\"0\" text=\"TCP\"/><option value=\"1\" text=\"UDP\"/></parameter>"
         u8"</command>"));
  const TDevCommand& cmd = OnlyCommand(profile);
  EXPECT_EQ(profile.Pages[0].Id, "1");
  EXPECT_EQ(profile.Pages[0].Name, "P");
  EXPECT_EQ(cmd.Description, "Серверы");
  EXPECT_TRUE(cmd.PollData);
  EXPECT_FALSE(cmd.SetData);
  EXPECT_TRUE(cmd.ExportData);
  EXPECT_TRUE(cmd.Indexed);
  EXPECT_EQ(cmd.MaxIndex, 3);
  EXPECT_EQ(cmd.PollProcessor, "");
  ASSERT_EQ(cmd.Parameters.size(), 1u);
  const TCmdParameter& p = cmd.Parameters[0];
  EXPECT_EQ(p.ParamType, ptOption);
  EXPECT_EQ(p.Description, "Протокол");
  EXPECT_EQ(p.Suffix, "шт");
  EXPECT_FALSE(p.Optional);
  EXPECT_FALSE(p.Overwrite);
  EXPECT_EQ(p.DefaultValue, "1");
  EXPECT_EQ(p.OnCharMask, "^[0-9]*$");
  EXPECT_EQ(p.OnLeaveMask, "^[0-9]+$");
  ASSERT_EQ(p.Options.size(), 2u);
  EXPECT_EQ(p.Options[1].Value, "1");
  EXPECT_EQ(p.Options[1].Text, "UDP");
}

TEST(CommandProfile, BooleanAttributeSyntax) {
  struct Case {
    const char* text;
    bool polldata;  // default false
    bool setdata;   // default true
  };
  const Case cases[] = {
      {"true", true, true},    {"TRUE", true, true}, {"tRuE", true, true},  {"false", false, false},
      {"False", false, false}, {"1", true, true},    {"-5", true, true},    {"$10", true, true},
      {" 2", true, true},      {"0", false, false},  {"0x0", false, false}, {"yes", false, true},
      {"no", false, true},     {"", false, true},    {"1 ", false, true},   {"truee", false, true},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    TDevCommand cmd = LoadCommand("polldata=\"" + text + "\" setdata=\"" + text + "\"");
    EXPECT_EQ(cmd.PollData, c.polldata) << "[" << text << "]";
    EXPECT_EQ(cmd.SetData, c.setdata) << "[" << text << "]";
  }
}

TEST(CommandProfile, GroupSetAndPasswordModes) {
  EXPECT_EQ(LoadCommand("groupsetdata=\"0\"").GroupSetData, gsNo);
  EXPECT_EQ(LoadCommand("groupsetdata=\"false\"").GroupSetData, gsNo);
  EXPECT_EQ(LoadCommand("groupsetdata=\"true\"").GroupSetData, gsYes);
  EXPECT_EQ(LoadCommand("groupsetdata=\"1\"").GroupSetData, gsYes);
  EXPECT_EQ(LoadCommand("").GroupSetData, gsAuto);
  EXPECT_EQ(LoadCommand("groupsetdata=\"\"").GroupSetData, gsAuto);
  EXPECT_EQ(LoadCommand("groupsetdata=\"yes\"").GroupSetData, gsAuto);

  EXPECT_EQ(LoadCommand("passwordmode=\"user\"").PasswordMode, pmUser);
  EXPECT_EQ(LoadCommand("passwordmode=\"AdMiN\"").PasswordMode, pmAdmin);
  EXPECT_EQ(LoadCommand("passwordmode=\"useradmin\"").PasswordMode, pmUserAdmin);
  EXPECT_EQ(LoadCommand("passwordmode=\"ADMINUSER\"").PasswordMode, pmAdminUser);
  EXPECT_EQ(LoadCommand("passwordmode=\"root\"").PasswordMode, pmAdminUser);
  EXPECT_EQ(LoadCommand("passwordmode=\" user\"").PasswordMode, pmAdminUser);
  EXPECT_EQ(LoadCommand("").PasswordMode, pmAdminUser);
}

TEST(CommandProfile, IndexedOnlyWithAPositiveMaxIndex) {
  struct Case {
    const char* attr;
    int32_t maxIndex;
    bool indexed;
  };
  const Case cases[] = {{"maxindex=\"1\"", 1, true},
                        {"maxindex=\"4\"", 4, true},
                        {"maxindex=\"0\"", 0, false},
                        {"maxindex=\"-3\"", -3, false},
                        {"", -1, false},
                        {"maxindex=\"many\"", -1, false},
                        {"maxindex=\"$3\"", 3, true},
                        {"maxindex=\"4294967297\"", -1, false},
                        // The control tags hold eight bits of instance.
                        {"maxindex=\"256\"", 256, true},
                        {"maxindex=\"257\"", 256, true},
                        {"maxindex=\"2147483647\"", 256, true}};
  for (const auto& c : cases) {
    TDevCommand cmd = LoadCommand(c.attr);
    EXPECT_EQ(cmd.MaxIndex, c.maxIndex) << c.attr;
    EXPECT_EQ(cmd.Indexed, c.indexed) << c.attr;
  }
}

TEST(CommandProfile, HugeMaxIndexAndTooManyParametersAreCappedWithANotice) {
  CommandProfile profile = LoadPage("<command command=\"+HUGE\" maxindex=\"2147483647\"/>");
  ASSERT_EQ(profile.LoadMessages.size(), 1u);
  EXPECT_EQ(profile.LoadMessages[0], "Профиль: команда +HUGE: maxindex 2147483647 уменьшен до 256");

  std::string params;
  for (int i = 0; i < 300; ++i)
    params += "<parameter type=\"option\" description=\"p" + std::to_string(i) +
              "\"><option value=\"" + std::to_string(i) + "\" text=\"t\"/></parameter>";
  profile =
      LoadPage("<command command=\"+MANY\">" + params + "</command><command command=\"+NEXT\"/>");
  ASSERT_EQ(profile.Pages[0].Commands.size(), 2u);
  const auto& kept = profile.Pages[0].Commands[0].Parameters;
  ASSERT_EQ(kept.size(), 256u);
  EXPECT_EQ(kept.back().Description, "p255");
  // Options of the parameters left out do not land on the last one kept.
  ASSERT_EQ(kept.back().Options.size(), 1u);
  EXPECT_EQ(kept.back().Options[0].Value, "255");
  EXPECT_EQ(profile.LoadMessages,
            std::vector<std::string>{"Профиль: команда +MANY: параметры после 256-го пропущены"});
  // A reload starts with no notices.
  profile.LoadCommandProfileFromBuffer("<application/>");
  EXPECT_TRUE(profile.LoadMessages.empty());
}

TEST(CommandProfile, PollProcessorFallBacks) {
  EXPECT_EQ(LoadCommand("").PollProcessor, "nonpoll");
  EXPECT_EQ(LoadCommand("polldata=\"1\"").PollProcessor, "");
  EXPECT_EQ(LoadCommand("pollprocessor=\"Table\"").PollProcessor, "Table");
  EXPECT_EQ(
      LoadPage("<command command=\"+text\" polldata=\"1\"/>").Pages[0].Commands[0].PollProcessor,
      "exitcmd");
  EXPECT_EQ(LoadPage("<command command=\"+SRBT\"/>").Pages[0].Commands[0].PollProcessor, "exitcmd");
  EXPECT_EQ(LoadPage("<command command=\"+SRBT\" pollprocessor=\"default\"/>")
                .Pages[0]
                .Commands[0]
                .PollProcessor,
            "default");
  CommandProfile fresh;
  EXPECT_EQ(fresh.DefaultPollProcessors.size(), 2u);
}

TEST(CommandProfile, ParameterTypesAreCaseSensitive) {
  EXPECT_EQ(LoadParameter("type=\"integer\"").ParamType, ptInteger);
  EXPECT_EQ(LoadParameter("type=\"string\"").ParamType, ptString);
  EXPECT_EQ(LoadParameter("type=\"hex\"").ParamType, ptHex);
  EXPECT_EQ(LoadParameter("type=\"option\"").ParamType, ptOption);
  EXPECT_EQ(LoadParameter("type=\"Integer\"").ParamType, ptString);
  EXPECT_EQ(LoadParameter("type=\"HEX\"").ParamType, ptString);
  EXPECT_EQ(LoadParameter("type=\" option\"").ParamType, ptString);
  EXPECT_EQ(LoadParameter("").ParamType, ptString);
}

TEST(CommandProfile, LimitsAndLengthByType) {
  struct Case {
    const char* attrs;
    int64_t min;
    int64_t max;
    int32_t maxLen;
  };
  const Case cases[] = {
      {"type=\"integer\" maxvalue=\"4294967295\"", INT32_MIN, 2147483647, 0},
      {"type=\"hex\" maxvalue=\"4294967295\"", 0, 4294967295LL, 8},
      {"type=\"integer\" minvalue=\"-2147483649\" maxvalue=\"2147483647\"", INT32_MIN, INT32_MAX,
       0},
      {"type=\"integer\" minvalue=\"-12\" maxvalue=\"$FF\"", -12, 255, 0},
      {"type=\"integer\" minvalue=\" 1\" maxvalue=\"10 \"", 1, INT32_MAX, 0},
      {"type=\"hex\" minvalue=\"-1\" maxvalue=\"0x1FFFFFFF\" maxlen=\"4\"", -1, 0x1FFFFFFF, 4},
      {"type=\"hex\" maxvalue=\"$FFFFFFFFFF\" maxlen=\"0\"", 0, 0xFFFFFFFFFFLL, 8},
      {"type=\"hex\" maxlen=\"wide\"", 0, 4294967295LL, 8},
      {"type=\"string\" maxlen=\"16\"", 0, 4294967295LL, 16},
      {"type=\"option\" minvalue=\"x\"", 0, 4294967295LL, 0},
  };
  for (const auto& c : cases) {
    TCmdParameter p = LoadParameter(c.attrs);
    EXPECT_EQ(p.MinValue, c.min) << c.attrs;
    EXPECT_EQ(p.MaxValue, c.max) << c.attrs;
    EXPECT_EQ(p.MaxLen, c.maxLen) << c.attrs;
  }
}

TEST(CommandProfile, AttributesSortedAndLookedUpIgnoringCase) {
  TDevCommand cmd = LoadCommand(
      U8(u8"timeout=\"15000\" table_width=\"40,130\" table_headers=\"№,Событие\" Zeta=\"z\""));
  std::vector<std::string> names;
  for (const auto& a : cmd.Attributes) names.push_back(a.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "command", "table_headers", "table_width",
                                             "timeout"}));
  EXPECT_EQ(GetCommandAttribute(cmd, "TIMEOUT"), "15000");
  EXPECT_EQ(GetCommandAttribute(cmd, "Table_Headers"), "№,Событие");
  EXPECT_EQ(GetCommandAttribute(cmd, "zeta"), "z");
  EXPECT_EQ(GetCommandAttribute(cmd, "missing"), "");
}

TEST(CommandProfile, TitleAndInputWidthOnlyDirectlyUnderApplication) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(
      "<application><title>  Veltra \t VT </title><inputwidth> 30 </inputwidth>"
      "<page id=\"1\"><title>Not this</title><inputwidth>99</inputwidth></page></application>");
  EXPECT_EQ(profile.Title, "Veltra VT");
  EXPECT_EQ(profile.InputWidth, 30);

  CommandProfile outside;
  outside.LoadCommandProfileFromBuffer(
      "<root><title>Outside</title><inputwidth>40</inputwidth></root>");
  EXPECT_EQ(outside.Title, "");
  EXPECT_EQ(outside.InputWidth, 0);

  CommandProfile bad;
  bad.LoadCommandProfileFromBuffer("<application><inputwidth>wide</inputwidth></application>");
  EXPECT_EQ(bad.InputWidth, 0);
}

TEST(CommandProfile, ElementsOutOfOrderAreSkipped) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(
      "</stray><application>"
      "<command command=\"+LOST\"/>"                         // before any page
      "<page id=\"1\"><parameter description=\"lost\"/>"     // before any command of the page
      "<command command=\"+AAAA\"><option value=\"lost\"/>"  // before any parameter
      "<parameter type=\"option\"><option value=\"1\" text=\"one\"/></parameter></command>"
      "</page><page id=\"2\"><parameter/><option value=\"x\"/>"
      "<command command=\"+BBBB\"/></page></application></extra></extra>");
  ASSERT_EQ(profile.Pages.size(), 2u);
  ASSERT_EQ(profile.Pages[0].Commands.size(), 1u);
  const TDevCommand& a = profile.Pages[0].Commands[0];
  EXPECT_EQ(a.Name, "+AAAA");
  ASSERT_EQ(a.Parameters.size(), 1u);
  ASSERT_EQ(a.Parameters[0].Options.size(), 1u);
  EXPECT_EQ(a.Parameters[0].Options[0].Text, "one");
  ASSERT_EQ(profile.Pages[1].Commands.size(), 1u);
  EXPECT_TRUE(profile.Pages[1].Commands[0].Parameters.empty());
  int page, command;
  EXPECT_FALSE(profile.FindCommand("+LOST", page, command));
  EXPECT_EQ(page, -1);
}

TEST(CommandProfile, TextInsideAnElementDoesNotDuplicateIt) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(
      U8(u8"<application><page id=\"1\">Страница<command command=\"+AAAA\">note"
         u8"<parameter type=\"option\">Режим<![CDATA[x]]><option value=\"1\">один</option>"
         u8"</parameter></command></page></application>"));
  ASSERT_EQ(profile.Pages.size(), 1u);
  ASSERT_EQ(profile.Pages[0].Commands.size(), 1u);
  ASSERT_EQ(profile.Pages[0].Commands[0].Parameters.size(), 1u);
  EXPECT_EQ(profile.Pages[0].Commands[0].Parameters[0].Options.size(), 1u);
}

TEST(CommandProfile, CommandIndexKeepsTheLastOfEachName) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(
      "<application><page><command command=\"+SAVE\"/><command command=\"+AAAA\"/></page>"
      "<page><command command=\"+save\"/></page></application>");
  int page = 9, command = 9;
  ASSERT_TRUE(profile.FindCommand("+Save", page, command));
  EXPECT_EQ(page, 1);
  EXPECT_EQ(command, 0);
  ASSERT_TRUE(profile.FindCommand("+aaaa", page, command));
  EXPECT_EQ(page, 0);
  EXPECT_EQ(command, 1);
  EXPECT_FALSE(profile.FindCommand("+NONE", page, command));
  EXPECT_EQ(page, -1);
  EXPECT_EQ(profile.Command(0, 1)->Name, "+AAAA");
  EXPECT_EQ(profile.Command(0, 2), nullptr);
  EXPECT_EQ(profile.Command(-1, 0), nullptr);
  EXPECT_EQ(profile.Command(2, 0), nullptr);

  // Loading again replaces the model and its index.
  profile.LoadCommandProfileFromBuffer(
      "<application><page><command command=\"+BBBB\"/></page></application>");
  EXPECT_FALSE(profile.FindCommand("+SAVE", page, command));
  EXPECT_TRUE(profile.FindCommand("+BBBB", page, command));
}

TEST(CommandProfile, ProcessorRegistry) {
  CommandProfile profile;
  std::string called;
  auto routine = [&called](const char* tag) {
    return [&called, tag](int, int, int, int, const std::string&) { called = tag; };
  };
  EXPECT_EQ(profile.FindPollProcessor(""), nullptr);
  EXPECT_EQ(profile.FindPollProcessor("table"), nullptr);

  profile.RegisterPollProcessor("table", routine("table"));
  profile.RegisterPollProcessor("Table", routine("table2"));  // replaces, letter case ignored
  EXPECT_EQ(profile.PollProcessorRegistry.size(), 1u);
  const TResponseProcessor* found = profile.FindPollProcessor("TABLE");
  ASSERT_NE(found, nullptr);
  (*found)(0, 0, 0, 0, "");
  EXPECT_EQ(called, "table2");
  EXPECT_EQ(profile.FindPollProcessor("nonpoll"), nullptr);  // no empty-name routine yet

  profile.RegisterPollProcessor("", routine("default"));
  profile.RegisterPollProcessor("nonpoll", routine("nonpoll"));
  (*profile.FindPollProcessor("unknown"))(0, 0, 0, 0, "");
  EXPECT_EQ(called, "default");
  (*profile.FindPollProcessor(""))(0, 0, 0, 0, "");
  EXPECT_EQ(called, "default");
  (*profile.FindPollProcessor("NonPoll"))(0, 0, 0, 0, "");
  EXPECT_EQ(called, "nonpoll");
}

TEST(CommandProfile, MissingFileGivesAnEmptyModel) {
  CommandProfile profile;
  profile.LoadCommandProfile("no-such-folder/cmdprofile.xml");
  EXPECT_TRUE(profile.Pages.empty());
  EXPECT_EQ(profile.Title, "");
  EXPECT_EQ(profile.InputWidth, 0);
  EXPECT_TRUE(profile.CommandIndex.empty());
  EXPECT_EQ(profile.FileStatus.Status, TFileReadStatus::NotFound);
  EXPECT_TRUE(profile.LoadMessages.empty());
}

// A FIFO or a device in the profile's place would block or never end; an oversized file would
// take memory in proportion. Each is refused with one notice and gives an empty model.
TEST(CommandProfile, OnlyRegularFilesWithinTheSizeLimitAreRead) {
  test::TempDir dir;
  const std::string good = dir.path() + "/good.xml";
  std::ofstream(good) << "<application><page id=\"1\" name=\"P\"/></application>";
  const std::string fifo = dir.path() + "/fifo.xml";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string zero = dir.path() + "/zero.xml";
  ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
  const std::string link = dir.path() + "/link.xml";
  ASSERT_EQ(symlink(good.c_str(), link.c_str()), 0);
  const std::string big = dir.path() + "/big.xml";
  ASSERT_EQ(truncate((std::ofstream(big), big.c_str()), CommandProfile::kMaxFileSize + 1), 0);

  struct Case {
    std::string file;
    TFileReadStatus status;
    size_t pages;
    std::string message;
  };
  const Case cases[] = {
      {good, TFileReadStatus::Read, 1, ""},
      {link, TFileReadStatus::Read, 1, ""},  // links are followed
      {fifo, TFileReadStatus::Refused, 0, "Профиль " + fifo + " не прочитан: это не обычный файл"},
      {zero, TFileReadStatus::Refused, 0, "Профиль " + zero + " не прочитан: это не обычный файл"},
      {dir.path(), TFileReadStatus::Refused, 0,
       "Профиль " + dir.path() + " не прочитан: это не обычный файл"},
      {big, TFileReadStatus::Refused, 0, "Профиль " + big + " не прочитан: размер больше 64 MiB"},
  };
  for (const auto& c : cases) {
    CommandProfile profile;
    profile.LoadCommandProfile(c.file);
    EXPECT_EQ(profile.FileStatus.Status, c.status) << c.file;
    EXPECT_EQ(profile.Pages.size(), c.pages) << c.file;
    EXPECT_EQ(profile.LoadMessages,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.file;
  }
}

}  // namespace
}  // namespace quillon
