// The sample profile shipped beside the executables: it must load whole, use every feature of
// the format, and carry defaults that pass their own limits and masks.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "profile/command_profile.h"
#include "profile/text_utils.h"

namespace quillon {
namespace {

// The editor's mask rules: searched anywhere, "." takes line breaks, "$" only at the very end.
bool MaskMatches(const std::string& mask, const std::string& text) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(mask.c_str()), mask.size(),
                                 PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
  if (!re) {
    ADD_FAILURE() << "mask does not compile: " << mask;
    return false;
  }
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(re, nullptr);
  int rc =
      pcre2_match(re, reinterpret_cast<PCRE2_SPTR>(text.c_str()), text.size(), 0, 0, md, nullptr);
  pcre2_match_data_free(md);
  pcre2_code_free(re);
  return rc >= 0;
}

class SampleProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.LoadCommandProfile("cmdprofile.xml");
    ASSERT_FALSE(profile_.Pages.empty()) << "cmdprofile.xml beside the tests";
  }
  const TDevCommand& Find(const std::string& name) {
    int page, command;
    static const TDevCommand none;
    if (!profile_.FindCommand(name, page, command)) {
      ADD_FAILURE() << name << " is missing";
      return none;
    }
    return *profile_.Command(page, command);
  }
  CommandProfile profile_;
};

TEST_F(SampleProfile, ApplicationAndServiceCommands) {
  EXPECT_FALSE(profile_.Title.empty());
  EXPECT_GT(profile_.InputWidth, 20);
  EXPECT_GE(profile_.Pages.size(), 4u);
  std::set<std::string> ids;
  for (const auto& page : profile_.Pages) {
    EXPECT_FALSE(page.Name.empty());
    EXPECT_FALSE(page.Commands.empty()) << page.Name;
    EXPECT_TRUE(ids.insert(page.Id).second) << "page id repeated: " << page.Id;
  }
  EXPECT_EQ(Find("+TEXT").PollProcessor, "exitcmd");
  EXPECT_EQ(Find("+SRBT").PollProcessor, "exitcmd");
  EXPECT_EQ(Find("+SAVE").PollProcessor, "nonpoll");
  EXPECT_LE(Find("+TEXT").Parameters.size(), 1u);
}

TEST_F(SampleProfile, UsesEveryFeatureOfTheFormat) {
  std::set<int> types, passwordModes, groupModes;
  bool indexed = false, table = false, timeout = false, optional = false, mandatory = false;
  bool masks = false, noOverwrite = false, readOnly = false, polls = false, nonPoll = false;
  bool exports = false, notExported = false, suffix = false;
  for (const auto& page : profile_.Pages) {
    for (const auto& cmd : page.Commands) {
      EXPECT_EQ(cmd.Name.size(), 5u) << cmd.Name;
      EXPECT_EQ(cmd.Name[0], '+') << cmd.Name;
      EXPECT_FALSE(cmd.Description.empty()) << cmd.Name;
      passwordModes.insert(cmd.PasswordMode);
      groupModes.insert(cmd.GroupSetData);
      if (cmd.Indexed) {
        indexed = true;
        EXPECT_GE(cmd.MaxIndex, 2) << cmd.Name;
        EXPECT_LE(cmd.MaxIndex, 4) << cmd.Name;
      }
      if (cmd.PollProcessor == "table") {
        table = true;
        std::string headers = GetCommandAttribute(cmd, "table_headers");
        EXPECT_FALSE(headers.empty());
        EXPECT_EQ(SplitCsv(headers).size(),
                  SplitCsv(GetCommandAttribute(cmd, "table_width")).size());
      }
      int32_t ms;
      if (ParseInt32(GetCommandAttribute(cmd, "timeout"), ms)) timeout = ms > 0;
      readOnly |= !cmd.SetData;
      (cmd.PollData ? polls : nonPoll) = true;
      (cmd.ExportData ? exports : notExported) = true;
      for (const auto& p : cmd.Parameters) {
        types.insert(p.ParamType);
        (p.Optional ? optional : mandatory) = true;
        masks |= !p.OnCharMask.empty() && !p.OnLeaveMask.empty();
        noOverwrite |= !p.Overwrite;
        suffix |= !p.Suffix.empty();
      }
    }
  }
  EXPECT_EQ(types, (std::set<int>{ptInteger, ptString, ptHex, ptOption}));
  EXPECT_EQ(passwordModes, (std::set<int>{pmAdmin, pmAdminUser, pmUserAdmin, pmUser}));
  EXPECT_EQ(groupModes, (std::set<int>{gsNo, gsAuto, gsYes}));
  EXPECT_TRUE(indexed && table && timeout && optional && mandatory && masks && noOverwrite);
  EXPECT_TRUE(readOnly && polls && nonPoll && exports && notExported && suffix);
}

TEST_F(SampleProfile, DefaultsPassTheirOwnLimitsAndMasks) {
  for (const auto& page : profile_.Pages) {
    for (const auto& cmd : page.Commands) {
      for (const auto& p : cmd.Parameters) {
        const std::string where = cmd.Name + " / " + p.Description;
        EXPECT_LE(p.MinValue, p.MaxValue) << where;
        switch (p.ParamType) {
          case ptInteger: {
            int64_t v = 0;
            if (!p.DefaultValue.empty()) {
              ASSERT_TRUE(ParseInt64(p.DefaultValue, v)) << where;
            }
            EXPECT_GE(v, p.MinValue) << where;
            EXPECT_LE(v, p.MaxValue) << where;
            break;
          }
          case ptHex: {
            int64_t v = -1;
            EXPECT_EQ(p.DefaultValue.size(), static_cast<size_t>(p.MaxLen)) << where;
            ASSERT_TRUE(ParseInt64("$" + p.DefaultValue, v)) << where;
            EXPECT_GE(v, p.MinValue) << where;
            EXPECT_LE(v, p.MaxValue) << where;
            break;
          }
          case ptOption: {
            bool found = false;
            for (const auto& o : p.Options) {
              found |= o.Value == p.DefaultValue;
              EXPECT_FALSE(o.Text.empty()) << where;
            }
            EXPECT_GE(p.Options.size(), 2u) << where;
            EXPECT_TRUE(found) << where << " default " << p.DefaultValue;
            break;
          }
          case ptString:
            if (p.MaxLen > 0) {
              EXPECT_LE(p.DefaultValue.size(), static_cast<size_t>(p.MaxLen)) << where;
            }
            if (!p.OnCharMask.empty()) {
              EXPECT_TRUE(MaskMatches(p.OnCharMask, p.DefaultValue)) << where;
              EXPECT_TRUE(MaskMatches(p.OnCharMask, "")) << where << ": cannot be emptied";
            }
            if (!p.OnLeaveMask.empty()) {
              EXPECT_TRUE(MaskMatches(p.OnLeaveMask, p.DefaultValue)) << where;
            }
            break;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quillon
