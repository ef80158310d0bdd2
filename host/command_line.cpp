#include "host/command_line.h"

const char* SkipProgramName(const char* commandLine, NextCharFn nextChar)
{
    const char* p = commandLine;
    if (*p == '"') {
        do {
            p = nextChar(p);
        } while (*p != '\0' && *p != '"');
        if (*p == '"') ++p;
    } else if ((unsigned char)*p > 0x20) {
        while ((unsigned char)*p > 0x20) p = nextChar(p);
    }
    // Blanks, tabs and any other control byte before the arguments.
    while (*p != '\0' && (unsigned char)*p <= 0x20) p = nextChar(p);
    return p;
}

static const char* SkipBlanks(const char* p)
{
    while (*p == ' ') ++p;
    return p;
}

CommandScan ScanCommand(const char* args)
{
    CommandScan scan = {CommandNone, nullptr};
    const char* p = args;
    while (*p == ' ' || *p == '-' || *p == '/') ++p;
    switch (*p) {
    case '\0':
        scan.mode = CommandConfigureAlone;
        break;
    case 's':
    case 'S':
        scan.mode = CommandRun;
        break;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        scan.mode = CommandPreview;
        scan.operand = SkipBlanks(p + 1);
        break;
    case 'c':
    case 'C':
        scan.mode = CommandConfigure;
        if (p[1] == ':') scan.operand = p + 2;
        break;
    case 'a':
    case 'A':
        scan.mode = CommandChangePassword;
        scan.operand = SkipBlanks(p + 1);
        break;
    default:
        break;  // other letters, digits, tabs, control and high bytes
    }
    return scan;
}

unsigned int ParseHandleValue(const char* text)
{
    unsigned int value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + (unsigned int)(*p - '0');
    return value;
}
