#include <gtest/gtest.h>

TEST(LinkPlaceholder, Builds) { SUCCEED(); }
