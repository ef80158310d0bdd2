// Whether a file has been read, seen from outside without opening it for its
// data, so that watching can never disturb the program that reads it (an open
// without sharing, held at the wrong moment, makes the other open fail).
// MarkUnread sets the file's last-access time far into the past through a
// handle that asks only to write attributes, which takes part in no sharing
// check; the next read by anyone moves that time to now (Linux's relatime,
// which Wine shows as it is).
#pragma once
#include <string>

bool MarkUnread(const std::string& path);
bool ReadSinceMark(const std::string& path);
// True when reads show here: a file in dir, marked, then read by this test,
// shows the read. A check that depends on the witness asks this first, so
// that it cannot pass only because reads never show.
bool ReadsAreWitnessed(const std::string& dir);
