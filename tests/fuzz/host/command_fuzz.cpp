// Any command line: the program-name skip, the mode scan and the handle
// parser stay inside the text and agree with each other.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "host/command_line.h"
#include "tests/native/common/lead_bytes.h"

static void Check(bool ok)
{
    if (!ok) abort();
}

static void CheckOne(const char* text, size_t length, NextCharFn next)
{
    const char* args = SkipProgramName(text, next);
    Check(args >= text && args <= text + length);
    CommandScan scan = ScanCommand(args);
    if (scan.operand) {
        Check(scan.operand >= args && scan.operand <= text + length);
        Check(scan.mode == CommandPreview || scan.mode == CommandConfigure ||
              scan.mode == CommandChangePassword);
        unsigned int value = ParseHandleValue(scan.operand);
        // The value is the digits read, wrapped to 32 bits.
        uint32_t expected = 0;
        for (const char* p = scan.operand; *p >= '0' && *p <= '9'; ++p)
            expected = expected * 10u + (uint32_t)(*p - '0');
        Check(value == expected);
    } else {
        Check(scan.mode != CommandPreview && scan.mode != CommandChangePassword);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = (char*)malloc(size + 1);
    memcpy(text, data, size);
    text[size] = '\0';
    size_t length = strlen(text);
    CheckOne(text, length, NextByte);
    CheckOne(text, length, NextDoubleByte);
    free(text);
    return 0;
}
