#include <gtest/gtest.h>

#include "profile/text_utils.h"

namespace quillon {
namespace {

TEST(SplitCsv, Basics) {
  EXPECT_EQ(SplitCsv(" a , b ,c"), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace quillon
