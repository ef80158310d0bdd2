#include "launcher/saver/launcher_rules.h"

#include <string.h>

static const char accessoryName[] = "velkarodin.exe";
static const unsigned accessoryNameLength = sizeof accessoryName - 1;

unsigned char OpacityFromAlpha(int alpha)
{
    if (alpha < 0) alpha = 0;
    if (alpha > 100) alpha = 100;
    // 0.01 is taken as the nearest float, widened to double: alpha 0 gives 254.
    const double percent = (double)0.01f;
    int opacity = (int)((100 - alpha) * percent * 255);
    if (opacity == 0) opacity = 1;
    return (unsigned char)opacity;
}

int IsAccessoryPath(const char* path)
{
    size_t length = strlen(path);
    // Two bytes at least before the 14-byte name, as in "C:velkarodin.exe":
    // the bare name and "\velkarodin.exe" have never started anything, and
    // settings files written since rely on that.
    if (length <= 15) return 0;
    return memcmp(path + length - accessoryNameLength, accessoryName, accessoryNameLength) == 0;
}

static int IsBlank(char c) { return c == ' '; }

int CountPreviewTokens(const char* commandLine)
{
    int count = 0;
    const char* p = commandLine;
    while (*p) {
        while (IsBlank(*p)) p++;
        if (!*p) break;
        const char* start = p;
        while (*p && !IsBlank(*p)) p++;
        if (p - start == 2 && start[0] == '/' && (start[1] == 'p' || start[1] == 'P')) count++;
    }
    return count;
}

// Whether the text's last character is a single-byte backslash; the trail
// byte of a double-byte character (possibly 0x5C) does not count.
static int EndsInBackslash(const char* text, LeadByteTest isLead)
{
    int last = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p;) {
        if (isLead(*p) && p[1]) {
            last = 0;
            p += 2;
        } else {
            last = *p == '\\';
            p++;
        }
    }
    return last;
}

void AccessoryWorkDir(const char* exePath, LeadByteTest isLead, char* out)
{
    PathParts parts;
    SplitPath(exePath, isLead, &parts);
    size_t driveLength = strlen(parts.drive);
    size_t dirLength = strlen(parts.dir);
    memcpy(out, parts.drive, driveLength);
    memcpy(out + driveLength, parts.dir, dirLength);
    size_t n = driveLength + dirLength;
    if (dirLength && !EndsInBackslash(parts.dir, isLead)) out[n++] = '\\';
    out[n] = '\0';
}

int GraceOver(unsigned now, unsigned startTick)
{
    return (unsigned)(now - startTick) > graceMilliseconds;
}

// Appends text at *n if it fits with a NUL after it.
static int Append(char* out, unsigned outSize, unsigned* n, const char* text, size_t length)
{
    if (*n + length + 1 > outSize) return 0;
    memcpy(out + *n, text, length);
    *n += (unsigned)length;
    out[*n] = '\0';
    return 1;
}

static int AppendQuoted(char* out, unsigned outSize, unsigned* n, const char* path)
{
    return Append(out, outSize, n, "\"", 1) && Append(out, outSize, n, path, strlen(path)) &&
           Append(out, outSize, n, "\"", 1);
}

int FormatAccessoryCommand(const char* exePath, char* out, unsigned outSize)
{
    unsigned n = 0;
    if (outSize) out[0] = '\0';
    return AppendQuoted(out, outSize, &n, exePath);
}

int FormatExternalSaverCommand(const char* scrPath, long handle, char* out, unsigned outSize)
{
    char digits[16];
    char* d = digits + sizeof digits;
    *--d = '\0';
    // Signed decimal without overflow for the most negative value.
    unsigned long magnitude = handle < 0 ? 0ul - (unsigned long)handle : (unsigned long)handle;
    do {
        *--d = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (handle < 0) *--d = '-';
    unsigned n = 0;
    if (outSize) out[0] = '\0';
    return AppendQuoted(out, outSize, &n, scrPath) && Append(out, outSize, &n, " /P ", 4) &&
           Append(out, outSize, &n, d, strlen(d));
}
