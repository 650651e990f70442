// The bytes of the document the writer produces, and what reading them back gives.
#include <gtest/gtest.h>

#include "configfiles/config_file.h"
#include "configfiles/config_fixture.h"

namespace quillon {
namespace {

using testing::MixedProfile;
using testing::ProfileFromXml;
using testing::Shown;

TEST(ConfigFormat, WritesTheElevenLinesOfOneCommandWithTwoParameters) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="P">
    <command command="+ONE" exportdata="1">
      <parameter type="integer" minvalue="0" maxvalue="99" defaultvalue="7"/>
      <parameter type="string" optional="0" defaultvalue="abc"/>
    </command></page>)");
  THeadlessEditor editor(profile);
  editor.SetChecked(0, 0, 0, 0, false);
  TConfigMessages messages;
  EXPECT_EQ(WriteConfigurationXml(profile, editor, messages),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
            "<Quillon>\r\n"
            "  <ExportCommandParamenters>\r\n"
            "    <command name=\"+ONE\">\r\n"
            "      <index index=\"0\">\r\n"
            "        <parameter index=\"0\" enabled=\"0\">7</parameter>\r\n"
            "        <parameter index=\"1\">abc</parameter>\r\n"
            "      </index>\r\n"
            "    </command>\r\n"
            "  </ExportCommandParamenters>\r\n"
            "</Quillon>\r\n");
  EXPECT_TRUE(messages.Empty());
}

TEST(ConfigFormat, WritesOnlyTheFrameWithoutExportedCommands) {
  const CommandProfile profile = ProfileFromXml(
      R"(<page id="1" name="P"><command command="+N"><parameter/></command></page>)");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  EXPECT_EQ(WriteConfigurationXml(profile, editor, messages),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Quillon>\r\n"
            "  <ExportCommandParamenters>\r\n  </ExportCommandParamenters>\r\n</Quillon>\r\n");
}

TEST(ConfigFormat, WritesEveryInstanceAndOnlyExportedEnabledCommands) {
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  editor.MarkCommandUnsupported(1, 0);  // +TWO
  TConfigMessages messages;
  const std::string xml = WriteConfigurationXml(profile, editor, messages);
  EXPECT_NE(xml.find("<command name=\"+IDX\">\r\n      <index index=\"0\">"), std::string::npos);
  EXPECT_NE(xml.find("<index index=\"2\">"), std::string::npos);
  EXPECT_EQ(xml.find("<index index=\"3\">"), std::string::npos);
  EXPECT_EQ(xml.find("+NEX"), std::string::npos);  // not exported
  EXPECT_EQ(xml.find("+TWO"), std::string::npos);  // group box disabled, without a message
  EXPECT_TRUE(messages.Empty());
  // An option is stored by its Value, not its text.
  EXPECT_NE(xml.find("<parameter index=\"3\">1</parameter>"), std::string::npos);
}

// A string value, the fragment the file holds for it, and the value read back.
struct EscapeCase {
  const char* Name;
  std::string Value;
  std::string Stored;
  std::string ReadBack;
};

TEST(ConfigFormat, EscapesValuesAndReadsThemBack) {
  const EscapeCase cases[] = {
      {"markup", "a<b&\"c\"", "a&lt;b&amp;&quot;c&quot;", "a<b&\"c\""},
      {"greater and apostrophe", "x>'y", "x&gt;'y", "x>'y"},
      {"tab inside becomes a space", "a\tb", "a&#9;b", "a b"},
      {"tab at an end is trimmed", "\tab\t", "&#9;ab&#9;", "ab"},
      {"line break becomes a space", "a\r\nb", "a&#13;&#10;b", "a b"},
      {"other controls come back",
       "a\x01\x1f"
       "b",
       "a&#1;&#31;b",
       "a\x01\x1f"
       "b"},
      // Two-byte UTF-8 for the Windows-1251 Cyrillic letters (the test's literals are 1251).
      {"Cyrillic", "Привет", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "Привет"},
      {"upper half", "\xB9\x80", "\xE2\x84\x96\xD0\x82", "\xB9\x80"},  // № Ђ
      {"inner run collapses", "a   b", "a   b", "a b"},
  };
  const CommandProfile profile = MixedProfile();
  for (const EscapeCase& c : cases) {
    THeadlessEditor editor(profile);
    editor.SetInputText(0, 0, 0, 4, c.Value);
    TConfigMessages messages;
    std::string file;
    ASSERT_TRUE(SaveConfigurationToBuffer(profile, editor, file, messages)) << c.Name;
    const std::string xml = WriteConfigurationXml(profile, editor, messages);
    EXPECT_NE(xml.find("<parameter index=\"4\">" + c.Stored + "</parameter>"), std::string::npos)
        << c.Name;
    THeadlessEditor loaded(profile);
    EXPECT_EQ(LoadConfigurationFromBuffer(profile, loaded, file, messages).Outcome, loLoaded);
    EXPECT_EQ(loaded.InputText(0, 0, 0, 4), c.ReadBack) << c.Name;
    EXPECT_TRUE(messages.Empty()) << c.Name;
  }
}

// An editor that lost one input control and one group box.
class TPartialEditor : public THeadlessEditor {
 public:
  using THeadlessEditor::THeadlessEditor;
  bool HasControl(int page, int command, int instance, int param,
                  TControlKind kind) const override {
    if (kind == ckInput && page == 0 && command == 0 && param == 1) return false;
    if (kind == ckGroup && page == 1) return false;
    return THeadlessEditor::HasControl(page, command, instance, param, kind);
  }
};

TEST(ConfigFormat, NamesMissingControlsAndWritesWhatItCan) {
  const CommandProfile profile = MixedProfile();
  TPartialEditor editor(profile);
  editor.SetOptionIndex(0, 0, 0, 3, -1);
  TConfigMessages messages;
  const std::string xml = WriteConfigurationXml(profile, editor, messages);
  EXPECT_EQ(messages.Lines(), (std::vector<std::string>{"Команда +PLN, параметр 1 не найден",
                                                        "Команда +TWO не найдена, пропущена"}));
  EXPECT_NE(xml.find("<parameter index=\"1\"></parameter>"), std::string::npos);
  // No option selected: the default's Value.
  EXPECT_NE(xml.find("<parameter index=\"3\">1</parameter>"), std::string::npos);
  EXPECT_EQ(xml.find("+TWO"), std::string::npos);
}

TEST(ConfigFormat, LeavesOutWhatABackupCannotReadBack) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="P">
    <command command="+A" exportdata="1"><parameter optional="0"/>
      <parameter optional="0" overwrite="false"/><parameter optional="0"/></command>
    <command command="+B" exportdata="1"><parameter/></command></page>)");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  TConfigSaveOptions options;
  options.OmitNotOverwritable = true;
  options.CommandFilter = [](int, int command) { return command == 0; };
  const std::string xml = WriteConfigurationXml(profile, editor, messages, options);
  EXPECT_NE(xml.find("<parameter index=\"0\"></parameter>\r\n"
                     "        <parameter index=\"2\"></parameter>"),
            std::string::npos);
  EXPECT_EQ(xml.find("+B"), std::string::npos);
}

TEST(ConfigFormat, EscapesTheCommandName) {
  const CommandProfile profile = ProfileFromXml(
      R"(<page id="1" name="P"><command command="+A&amp;&lt;" exportdata="1"/></page>)");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  EXPECT_NE(WriteConfigurationXml(profile, editor, messages).find("<command name=\"+A&amp;&lt;\">"),
            std::string::npos);
}

TEST(ConfigFormat, RoundTripsEveryTypeAndCheckBoxThroughTheCompressedFile) {
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  editor.SetChecked(0, 0, 0, 0, false);
  editor.SetInputText(0, 0, 0, 0, "200");
  editor.SetInputText(0, 0, 0, 1, "4711");
  editor.SetInputText(0, 0, 0, 2, "DEADBEEF");
  editor.SetOptionIndex(0, 0, 0, 3, 2);
  editor.SetInputText(0, 1, 0, 0, "first");
  editor.SetInputText(0, 1, 2, 0, "third");
  editor.SetChecked(0, 1, 1, 1, false);
  editor.SetInputText(0, 1, 1, 1, "8");
  TConfigMessages messages;
  std::string file;
  ASSERT_TRUE(SaveConfigurationToBuffer(profile, editor, file, messages));
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(file[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(file[1]), 0xDA);

  THeadlessEditor loaded(profile);
  const TLoadResult r = LoadConfigurationFromBuffer(profile, loaded, file, messages);
  EXPECT_EQ(r.Outcome, loLoaded);
  EXPECT_TRUE(messages.Empty());
  EXPECT_FALSE(loaded.Checked(0, 0, 0, 0));
  EXPECT_FALSE(loaded.InputEnabled(0, 0, 0, 0));  // through the check box's own handling
  EXPECT_EQ(loaded.InputText(0, 0, 0, 0), "200");
  EXPECT_EQ(loaded.InputText(0, 0, 0, 1), "4711");
  EXPECT_EQ(loaded.InputText(0, 0, 0, 2), "DEADBEEF");
  EXPECT_EQ(Shown(profile, loaded, 0, 0, 0, 3), "2");
  EXPECT_EQ(loaded.InputText(0, 1, 0, 0), "first");
  EXPECT_EQ(loaded.InputText(0, 1, 2, 0), "third");
  EXPECT_FALSE(loaded.Checked(0, 1, 1, 1));
  EXPECT_TRUE(loaded.Checked(0, 1, 0, 1));
  EXPECT_EQ(loaded.InputText(0, 1, 1, 1), "8");
  // +PLN, the three instances of +IDX and +TWO, as the file named them.
  ASSERT_EQ(r.Instances.size(), 5u);
  EXPECT_EQ(r.Instances[3].Command, 1);
  EXPECT_EQ(r.Instances[3].Instance, 2);
  EXPECT_EQ(r.Instances[4].Page, 1);
}

}  // namespace
}  // namespace quillon
