// Byte-level rules of the launcher's saver procedure, with no platform header
// so that they are also built and tested natively.
#pragma once
#include "launcher/common/path_split.h"

const unsigned graceMilliseconds = 1000;

// Opacity byte for a transparency percentage (0 opaque .. 100 transparent).
unsigned char OpacityFromAlpha(int alpha);

// 1 when the path is longer than 15 bytes and ends in "velkarodin.exe"
// (byte for byte, case-sensitive).
int IsAccessoryPath(const char* path);

// Number of blank-separated tokens equal to "/p" in either case.
int CountPreviewTokens(const char* commandLine);

// Drive and directory of the accessory's path, with a backslash appended
// when the directory is non-empty and does not end in one. out must hold
// at least accessoryDirSize bytes.
const unsigned accessoryDirSize = 3 + 256 + 1;
void AccessoryWorkDir(const char* exePath, LeadByteTest isLead, char* out);

// 1 once more than graceMilliseconds have passed since startTick; correct
// across the wrap of the 32-bit tick counter.
int GraceOver(unsigned now, unsigned startTick);

// "\"path\"": the accessory's command line. Returns 0 when it does not fit.
int FormatAccessoryCommand(const char* exePath, char* out, unsigned outSize);
// "\"path\" /P handle", the handle in signed decimal. 0 when it does not fit.
int FormatExternalSaverCommand(const char* scrPath, long handle, char* out, unsigned outSize);
