#include <gtest/gtest.h>

#include "editor/parameter_editor.h"

namespace quillon {
namespace {

TEST(ControlTag, PacksCommandInstanceAndParameter) {
  EXPECT_EQ(EncodeControlTag(1, 2, 3), 0x00010203u);
  EXPECT_EQ(EncodeControlTag(0, 0, 0), 0u);
  int32_t c = -1, i = -1, p = -1;
  DecodeControlTag(EncodeControlTag(39, 255, 254), c, i, p);
  EXPECT_EQ(c, 39);
  EXPECT_EQ(i, 255);
  EXPECT_EQ(p, 254);
}

TEST(ControlTag, DecodesTheCommandAsAnUnsignedHalf) {
  int32_t c = 0, i = 0, p = 0;
  DecodeControlTag(0xFFFF0102u, c, i, p);
  EXPECT_EQ(c, 65535);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(p, 2);
}

// The packing is kept as it is; the editors compare full addresses because of this.
TEST(ControlTag, OverflowingFieldsRunIntoTheNextOne) {
  EXPECT_EQ(EncodeControlTag(0, 0, 256), EncodeControlTag(0, 1, 0));
  EXPECT_EQ(EncodeControlTag(0, 256, 0), EncodeControlTag(1, 0, 0));
}

}  // namespace
}  // namespace quillon
