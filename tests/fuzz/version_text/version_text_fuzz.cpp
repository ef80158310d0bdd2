// Any FileVersion text: the parser stays inside its copy and the line inside
// its 512 bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "launcher/dialog/version_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = (char*)malloc(size + 1);
    memcpy(text, data, size);
    text[size] = '\0';
    int parts[versionPartCount] = {0, 0, 0, 0};
    int stored = ParseVersionParts(text, parts);
    if (stored < 0 || stored > versionPartCount) abort();
    char line[versionLineSize];
    FormatVersionLine(line, parts, text);
    if (line[versionLineSize - 1] != '\0') abort();
    free(text);
    return 0;
}
