// The loader's order checks, limits and value rules, with the messages it logs.
#include <gtest/gtest.h>

#include "configfiles/config_file.h"
#include "configfiles/config_fixture.h"

namespace quillon {
namespace {

using testing::Command;
using testing::Document;
using testing::Instance;
using testing::MixedProfile;
using testing::Param;
using testing::ProfileFromXml;
using testing::Shown;

// A whole document, the outcome, the messages, and what +PLN's free text field [4] and the
// text of +IDX#3 [0] show afterwards ("" and "d" untouched).
struct DocumentCase {
  const char* Name;
  std::string Xml;
  TLoadOutcome Outcome;
  std::vector<std::string> Messages;
  std::string Plain4;
  std::string Idx2;
};

TEST(ConfigLoader, ChecksTheOrderOfTheFrameAndTheAddresses) {
  const std::string plain = Command("+PLN", Instance(0, Param(4, "set")));
  const std::string idx = Command("+IDX", Instance(2, Param(0, "two")));
  const DocumentCase cases[] = {
      {"written frame", Document(plain + idx), loLoaded, {}, "set", "two"},
      {"comment before the root",
       "<?xml version=\"1.0\"?><!-- c --><Quillon>" + plain + "</Quillon>",
       loLoaded,
       {},
       "set",
       "d"},
      {"doctype before the root",
       "<!DOCTYPE Quillon><Quillon>" + plain + "</Quillon>",
       loLoaded,
       {},
       "set",
       "d"},
      {"processing instruction before the root",
       "<?pi x?><Quillon>" + plain + "</Quillon>",
       loStopped,
       {"Ошибка в данных 1"},
       "",
       "d"},
      {"root inside another element",
       "<a><Quillon>" + plain + "</Quillon></a>",
       loStopped,
       {"Ошибка в данных 1"},
       "",
       "d"},
      {"list without the root",
       "<ExportCommandParamenters>" + plain + "</ExportCommandParamenters>",
       loStopped,
       {"Ошибка в данных 2"},
       "",
       "d"},
      {"list not right after the root",
       "<Quillon><x/><ExportCommandParamenters>" + plain + "</ExportCommandParamenters></Quillon>",
       loStopped,
       {"Ошибка в данных 2"},
       "",
       "d"},
      {"bare command", plain, loLoaded, {}, "set", "d"},
      {"elements at any depth", "<a><b>" + idx + "</b></a>", loLoaded, {}, "", "two"},
      {"command without a name",
       Document(plain + "<command name=\"\"/>" + idx),
       loStopped,
       {"Ошибка в данных 3"},
       "set",
       "d"},
      {"unknown command stops after the earlier ones",
       Document(plain + Command("+ZZZ", "") + idx),
       loStopped,
       {"Команда +ZZZ не найдена"},
       "set",
       "d"},
      {"command looked up ignoring case",
       Command("+idx", Instance(2, Param(0, "two"))),
       loLoaded,
       {},
       "",
       "two"},
      {"instance past the count",
       Document(Command("+IDX", Instance(3, Param(0, "x")))),
       loStopped,
       {"Ошибка в данных - превышен индекс команды +IDX"},
       "",
       "d"},
      {"negative instance",
       Document(Command("+IDX", Instance(-1, Param(0, "x")))),
       loStopped,
       {"Ошибка в данных - превышен индекс команды +IDX"},
       "",
       "d"},
      {"instance of a plain command",
       Document(Command("+PLN", Instance(1, Param(4, "x")))),
       loStopped,
       {"Ошибка в данных - превышен индекс команды +PLN"},
       "",
       "d"},
      {"parameter past the count",
       Document(Command("+PLN", Instance(0, Param(5, "x")))),
       loStopped,
       {"Ошибка в данных - превышен номер параметра команды +PLN"},
       "",
       "d"},
      {"negative parameter",
       Document(Command("+PLN", Instance(0, Param(-1, "x")))),
       loStopped,
       {"Ошибка в данных - превышен номер параметра команды +PLN"},
       "",
       "d"},
      {"unreadable numbers count as 0",
       Command("+IDX", "<index index=\"q\"><parameter>z</parameter></index>"),
       loLoaded,
       {},
       "",
       "d"},
      {"index and parameter before any command are skipped",
       Instance(0, Param(4, "lost")) + plain,
       loLoaded,
       {},
       "set",
       "d"},
      {"unknown elements are ignored",
       Command("+PLN", "<x a=\"1\">t</x>" + Instance(0, Param(4, "set"))),
       loLoaded,
       {},
       "set",
       "d"},
      {"CDATA is not a value",
       Command("+PLN", Instance(0, "<parameter index=\"4\"><![CDATA[c]]></parameter>")),
       loLoaded,
       {},
       "",
       "d"},
      {"empty document", "", loLoaded, {}, "", "d"},
      // A command does not reset the instance: +IDX's third falls on +PLN, which has one.
      {"instance carried to a command without it",
       Command("+IDX", Instance(2, "")) + Command("+PLN", Param(4, "x")),
       loStopped,
       {"Ошибка - не найден элемент ввода"},
       "",
       "d"},
      {"check box of an instance the command lacks",
       Command("+IDX", Instance(2, "")) + Command("+PLN", Param(0, "1")),
       loStopped,
       {"Ошибка - не найден выключатель"},
       "",
       "d"},
  };
  const CommandProfile profile = MixedProfile();
  for (const DocumentCase& c : cases) {
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    const TLoadResult r = LoadConfigurationXml(profile, editor, c.Xml, messages);
    EXPECT_EQ(r.Outcome, c.Outcome) << c.Name;
    EXPECT_EQ(messages.Lines(), c.Messages) << c.Name;
    EXPECT_EQ(editor.InputText(0, 0, 0, 4), c.Plain4) << c.Name;
    EXPECT_EQ(editor.InputText(0, 1, 2, 0), c.Idx2) << c.Name;
  }
}

TEST(ConfigLoader, AnEmptyElementSetsTheCheckBoxAndLeavesTheValue) {
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  editor.SetInputText(0, 0, 0, 0, "42");
  TConfigMessages messages;
  LoadConfigurationXml(
      profile, editor,
      Command("+PLN", Instance(0, "<parameter index=\"0\" enabled=\"0\"/>" + Param(4, ""))),
      messages);
  EXPECT_FALSE(editor.Checked(0, 0, 0, 0));
  EXPECT_FALSE(editor.InputEnabled(0, 0, 0, 0));
  EXPECT_EQ(editor.InputText(0, 0, 0, 0), "42");
  EXPECT_EQ(editor.InputText(0, 0, 0, 4), "");  // empty text: no value arrives
  // Anything but exactly "0" ticks the box, a missing attribute too.
  for (const char* enabled : {"1", "", "00", "no"}) {
    editor.SetChecked(0, 0, 0, 0, false);
    LoadConfigurationXml(profile, editor, Command("+PLN", Instance(0, Param(0, "5", enabled))),
                         messages);
    EXPECT_TRUE(editor.Checked(0, 0, 0, 0)) << enabled;
  }
  editor.SetChecked(0, 0, 0, 0, false);
  LoadConfigurationXml(profile, editor, Command("+PLN", Instance(0, Param(0, "5"))), messages);
  EXPECT_TRUE(editor.Checked(0, 0, 0, 0));
  EXPECT_TRUE(messages.Empty());
}

TEST(ConfigLoader, AValueIsSetEvenWhenItFailsTheTypingMask) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="P">
    <command command="+M"><parameter type="string" optional="0" onchar_mask="^[0-9]*$"/>
    </command></page>)");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  LoadConfigurationXml(profile, editor, Command("+M", Instance(0, Param(0, "letters"))), messages);
  EXPECT_EQ(editor.InputText(0, 0, 0, 0), "letters");
  EXPECT_TRUE(messages.Empty());
}

// A mask that is no regular expression checks nothing and is told once, however many values
// meet it.
TEST(ConfigLoader, ABrokenMaskIsToldOnceAndChecksNothing) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="P">
    <command command="+M" maxindex="3"><parameter type="string" optional="0" onleave_mask="(["/>
    </command></page>)");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  LoadConfigurationXml(profile, editor,
                       Command("+M", Instance(0, Param(0, "a")) + Instance(1, Param(0, "b")) +
                                         Instance(2, Param(0, "c"))),
                       messages);
  EXPECT_EQ(editor.InputText(0, 0, 2, 0), "c");
  ASSERT_EQ(messages.Lines().size(), 1u);
  EXPECT_EQ(messages.Lines()[0].rfind("Ошибка в регулярном выражении ([: ", 0), 0u);
}

// One parameter (as profile XML), the text in the file, what the control shows, and the
// message logged ("" for none).
struct ValueCase {
  const char* Parameter;
  const char* Text;
  const char* Shown;
  const char* Message;
};

TEST(ConfigLoader, PutsValuesInByTheirType) {
  const char* const byte = R"(type="integer" minvalue="0" maxvalue="255" defaultvalue="10")";
  const char* const hex8 = R"(type="hex" maxlen="8" defaultvalue="0000ABCD")";
  const char* const options =
      R"(type="option" defaultvalue="1"><option value="0"/><option value="1"/></parameter>)";
  const ValueCase cases[] = {
      // Integers: the profile's integer syntax, range checked, the default otherwise.
      {byte, "200", "200", ""},
      {byte, "$1F", "31", ""},
      {byte, "300", "10", "Значение выходит за рамки диапазона: 300"},
      {byte, "-1", "10", "Значение выходит за рамки диапазона: -1"},
      {byte, "abc", "10", ""},
      {R"(type="integer" minvalue="0" maxvalue="255" defaultvalue="x")", "abc", "0", ""},
      {R"(type="integer" minvalue="5" maxvalue="9" defaultvalue="x")", "abc", "0",
       "Значение выходит за рамки диапазона: abc"},
      {byte, "99999999999", "10", ""},
      // Strings: the leave mask, the default when it fails.
      {R"(type="string" defaultvalue="0000" onleave_mask="^[0-9]+$")", "1234", "1234", ""},
      {R"(type="string" defaultvalue="0000" onleave_mask="^[0-9]+$")", "abcd", "0000",
       "Значение не соответствует маске: abcd"},
      {R"(type="string" defaultvalue="d")", "any thing", "any thing", ""},
      {R"(type="string" defaultvalue="d" onleave_mask="([")", "kept", "kept", nullptr},
      // Hexadecimal: padded, leading zeros dropped, the default once, the range.
      {hex8, "ff", "000000FF", ""},
      {hex8, "0012345678", "12345678", ""},
      {hex8, "123456789", "0000ABCD", "Значение не соответствует маске: 123456789"},
      {R"(type="hex" maxlen="4" defaultvalue="12345")", "123456", "0000",
       "Значение не соответствует маске: 123456"},
      {R"(type="hex" maxlen="4" defaultvalue="012345")", "99999", "0000",
       "Значение не соответствует маске: 99999"},
      {R"(type="hex" maxlen="4" defaultvalue="00FF")", "123456", "00FF",
       "Значение не соответствует маске: 123456"},
      {R"(type="hex" maxlen="4" minvalue="16" maxvalue="255" defaultvalue="0020")", "0100", "0020",
       "Значение выходит за рамки диапазона: 0100"},
      {R"(type="hex" maxlen="4" minvalue="16" maxvalue="255")", "0001", "0000",
       "Значение выходит за рамки диапазона: 0001"},
      // Not hexadecimal: only the range test takes the default's number; the text stays.
      {hex8, "zz", "000000ZZ", ""},
      // Options: by Value, letter case counts; the default's option, else the first.
      {options, "0", "0", ""},
      {options, "7", "1", "Значение не в списке допустимых: 7"},
      {R"(type="option" defaultvalue="5"><option value="a"/><option value="b"/></parameter>)", "B",
       "a", "Значение не в списке допустимых: B"},
  };
  for (const ValueCase& c : cases) {
    std::string param = std::string("<parameter optional=\"0\" ") + c.Parameter;
    if (param.back() != '>') param += "/>";
    const CommandProfile profile = ProfileFromXml(
        "<page id=\"1\" name=\"P\"><command command=\"+V\">" + param + "</command></page>");
    THeadlessEditor editor(profile);
    TConfigMessages messages;
    const TLoadResult r = LoadConfigurationXml(
        profile, editor, Command("+V", Instance(0, Param(0, c.Text))), messages);
    const std::string label = std::string(c.Parameter) + " <- " + c.Text;
    EXPECT_EQ(r.Outcome, loLoaded) << label;
    EXPECT_EQ(Shown(profile, editor, 0, 0, 0, 0), c.Shown) << label;
    if (!c.Message) {
      EXPECT_EQ(messages.Lines().size(), 1u) << label;  // the broken mask is named
    } else if (*c.Message) {
      EXPECT_EQ(messages.Lines(), std::vector<std::string>{c.Message}) << label;
    } else {
      EXPECT_TRUE(messages.Empty()) << label;
    }
  }
}

}  // namespace
}  // namespace quillon
