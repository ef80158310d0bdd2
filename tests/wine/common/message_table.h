// Message sequences as tables: what a window should see, one row a message,
// compared with what a recorder saw. On a mismatch the messages are named:
// "WM_CLOSE (application) expected, WM_DESTROY (application) seen, row 3 of closeOnKey".
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Where a message was seen, and what else a row compares.
enum MessageFlags : unsigned {
    App = 1,        // reached the application's saver procedure
    Default = 2,    // the default procedure returned for it (result compared)
    Sent = 4,       // the probe sent it to its own window
    WParam = 8,     // wParam compared
    LParam = 16,    // lParam compared
    Never = 32,     // after the last row: names a message that must not be seen
};

// A row of zeros ends a table.
struct ExpectedMessage {
    UINT message = 0;
    unsigned flags = 0;
    LRESULT result = 0;  // for Default rows
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct RecordedMessage {
    UINT message;
    unsigned where;  // App, Default or Sent
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Recorder lines: "A <hex message> <wParam> <lParam>" (application),
// "D <hex message> <result>" (default procedure), "S <hex message>" (sent by
// the probe); other lines are skipped.
std::vector<RecordedMessage> ParseMessageLines(const std::vector<std::string>& lines);

// Compares, in order, the recorded messages that some row of the table names
// (wherever they were seen) with the rows. Messages the table does not name
// are left out, and so is the default procedure's answer to an application
// message left out. An application row that compares lParam names only
// messages with that lParam.
::testing::AssertionResult MessagesMatch(const char* tableName, const ExpectedMessage* table,
                                         const std::vector<RecordedMessage>& seen);
