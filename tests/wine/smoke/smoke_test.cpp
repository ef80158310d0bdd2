#include <gtest/gtest.h>
#include "test_support.h"

// The harness itself: the built saver is there and starts under Wine.
TEST(Smoke, SaverFileExistsAndRuns)
{
    ASSERT_TRUE(PathExists(SaverPath()));
    std::string dir = MakeTestDir("smoke");
    ASSERT_TRUE(CopyInto(SaverPath(), dir, "velkaro_ss_launcher.scr"));
    EXPECT_NE(0xDEADBEEFu, RunSaver(dir + "\\velkaro_ss_launcher.scr", "/x"));
}
