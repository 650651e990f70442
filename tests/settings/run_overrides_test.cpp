#include "settings/run_overrides.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TSettings FileSettings(const std::string& com, const std::string& password,
                       const std::string& master) {
  TSettings s;
  s.COM = com;
  s.Password = password;
  s.MasterPassword = master;
  UpdateEffectivePassword(s);
  return s;
}

TEST(RunOverrides, NothingToOverride) {
  TRunOverrides none;
  TSettings s = FileSettings("COM3", "11", "");
  none.Apply(s);
  EXPECT_FALSE(none.PortOverridden());
  EXPECT_FALSE(none.PasswordsOverridden());
  EXPECT_EQ(s.COM, "COM3");
  EXPECT_EQ(s.EffectivePassword, "11");

  // Stored passwords win over the demo terminal's.
  TRunOverrides demo("/dev/pts/4", "1234", "5678");
  TSettings own = FileSettings("COM3", "11", "");
  demo.Apply(own);
  EXPECT_TRUE(demo.PortOverridden());
  EXPECT_FALSE(demo.PasswordsOverridden());
  EXPECT_EQ(own.EffectivePassword, "11");
}

TEST(RunOverrides, KeptUntilTheOperatorChangesTheField) {
  TRunOverrides demo("/dev/pts/4", "1234", "5678");
  TSettings inForce = FileSettings("COM3", "", "");
  demo.Apply(inForce);
  EXPECT_EQ(inForce.COM, "/dev/pts/4");
  EXPECT_EQ(inForce.EffectivePassword, "5678");

  TSettings stored = demo.Stored(inForce);
  EXPECT_EQ(stored.COM, "COM3");
  EXPECT_EQ(stored.Password, "");
  EXPECT_EQ(stored.EffectivePassword, "");

  stored.RetryCount = 9;  // another field: both overrides stay
  demo.Confirm(stored, inForce);
  EXPECT_EQ(inForce.COM, "/dev/pts/4");
  EXPECT_EQ(inForce.EffectivePassword, "5678");
  EXPECT_EQ(inForce.RetryCount, 9);

  stored = demo.Stored(inForce);
  stored.COM = "COM7";  // the port changed: its override ends, the passwords' stays
  demo.Confirm(stored, inForce);
  EXPECT_FALSE(demo.PortOverridden());
  EXPECT_TRUE(demo.PasswordsOverridden());
  EXPECT_EQ(inForce.COM, "COM7");
  EXPECT_EQ(demo.Stored(inForce).COM, "COM7");
  EXPECT_EQ(inForce.EffectivePassword, "5678");

  stored = demo.Stored(inForce);
  stored.Password = "42";
  demo.Confirm(stored, inForce);
  EXPECT_FALSE(demo.PasswordsOverridden());
  EXPECT_EQ(inForce.Password, "42");
  EXPECT_EQ(inForce.MasterPassword, "");
  EXPECT_EQ(inForce.EffectivePassword, "42");
}

}  // namespace
}  // namespace quillon
