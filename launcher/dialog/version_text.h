// The version line of the configuration dialog, built from the FileVersion
// text of the program's own version resource. No platform header here.
#pragma once

const int versionPartCount = 4;
const int versionLineSize = 512;

// Cuts text at commas, in place (a run of commas is one separator, empty
// pieces are skipped), and stores the decimal value of each piece into parts
// until four are stored. Returns how many were stored; the rest are untouched.
int ParseVersionParts(char* text, int parts[versionPartCount]);

// The decimal value of a piece: leading white space, an optional sign, then
// digits up to the first other character; no digits gives 0.
int VersionPieceValue(const char* piece);

// "velkaro_ss_launcher ver%d.%02d (build%04d)\n" and the notice, into a
// zeroed buffer of versionLineSize bytes (cut there if ever longer).
void FormatVersionLine(char out[versionLineSize], const int parts[versionPartCount],
                       const char* notice);
