// Screen-saver command lines, byte by byte. No platform header here: the same
// code runs in the saver and natively under the sanitizers and the fuzzer.
#pragma once

// Steps over one character of the ANSI code page (CharNextA in the saver).
typedef const char* (*NextCharFn)(const char* p);

// The argument text behind the program name and the blanks or control bytes
// that follow it.
const char* SkipProgramName(const char* commandLine, NextCharFn nextChar);

enum CommandMode {
    CommandNone,            // no mode: the result is -1
    CommandConfigureAlone,  // nothing but ' ', '-' and '/': dialog without a parent
    CommandConfigure,       // c, or c: with a handle after the colon
    CommandRun,             // s
    CommandPreview,         // p or l, then the handle
    CommandChangePassword,  // a, then the handle
};

struct CommandScan {
    CommandMode mode;
    // Text of the mode's handle: after the blanks that follow p, l or a, or
    // right after "c:". Null when the mode takes none.
    const char* operand;
};

CommandScan ScanCommand(const char* args);

// Unsigned decimal digits from the start of text, wrapping modulo 2^32;
// 0 when there are none.
unsigned int ParseHandleValue(const char* text);
