#include <gtest/gtest.h>

TEST(LogPlaceholder, Builds) { SUCCEED(); }
