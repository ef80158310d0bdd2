// Path splitting in the ANSI code page, with no platform header: the caller
// passes the code page's lead-byte test, so a double-byte character is always
// taken whole and its trail byte (which may be 0x5C) never splits the path.
#pragma once

typedef int (*LeadByteTest)(unsigned char byte);

struct PathParts {
    char drive[3];
    char dir[256];
    char fname[256];
    char ext[256];
};

// Windows takes '/' as it takes '\\'.
int IsPathSeparator(char c);

// 1 when every piece fit its buffer whole, 0 when one was cut.
int SplitPath(const char* path, LeadByteTest isLead, PathParts* out);
// The last component (name and extension) of a path, as a pointer into it.
const char* LastPathComponent(const char* path, LeadByteTest isLead);
