// Command-line scan, name test, working directory and command lines on
// arbitrary bytes, with and without double-byte lead bytes.
#include <stdint.h>
#include <string.h>
#include <string>
#include "launcher/saver/launcher_rules.h"
#include "tests/native/common/lead_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1023) size = 1023;  // the settings hold at most 1023 bytes
    std::string text((const char*)data, size);
    const char* s = text.c_str();
    CountPreviewTokens(s);
    IsAccessoryPath(s);
    char dir[accessoryDirSize];
    AccessoryWorkDir(s, Cp932Lead, dir);
    if (strlen(dir) >= accessoryDirSize) __builtin_trap();
    char command[1100];
    FormatAccessoryCommand(s, command, sizeof command);
    FormatExternalSaverCommand(s, size ? (long)data[0] - 128 : 0, command, sizeof command);
    return 0;
}
