// Lead-byte tests handed to the platform-free code in place of the code
// page's own: code page 932 (Shift_JIS), and a single-byte code page.
#pragma once

inline int Cp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

inline int NoLead(unsigned char) { return 0; }

// The same as steps through a command line (host/command_line.h): a byte, or
// a code page 932 lead byte with the byte after it.
inline const char* NextByte(const char* p) { return p + 1; }
inline const char* NextDoubleByte(const char* p) { return p + (Cp932Lead(*p) && p[1] ? 2 : 1); }
