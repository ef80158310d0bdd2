#include <gtest/gtest.h>

#include "saver_folder.h"
#include "test_process.h"

// The harness itself: the built saver is there and starts under Wine.
TEST(Smoke, SaverFileExistsAndRuns)
{
    ASSERT_TRUE(PathExists(SaverPath()));
    // "/x" names no mode: the saver starts, and ends at once with -1.
    EXPECT_EQ(0xFFFFFFFFu, RunSaver(PrepareSaverFolder("smoke").scr, "/x"));
}
