// Test entry; with the probe argument the program only loads and saves its
// settings, so that a copy under another name shows which file it uses.
#include <gtest/gtest.h>
#include <string.h>

#include "settings_probe.h"

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], settingsProbeArgument) == 0) {
        Settings settings;
        LoadSettings(&settings);
        return 10 + SaveSettings(&settings);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
