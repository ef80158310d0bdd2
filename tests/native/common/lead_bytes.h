// Lead-byte tests handed to the platform-free code in place of the code
// page's own: code page 932 (Shift_JIS), and a single-byte code page.
#pragma once

inline int Cp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

inline int NoLead(unsigned char) { return 0; }
