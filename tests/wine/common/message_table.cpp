// Message sequences as tables, compared with what a probe recorded.
#include "message_table.h"

#include <stdio.h>
#include <stdlib.h>

#include <utility>

namespace {

struct NamedMessage {
    UINT message;
    const char* name;
};

#define NAMED(m) {m, #m}
const NamedMessage names[] = {
    NAMED(WM_NULL), NAMED(WM_CREATE), NAMED(WM_DESTROY), NAMED(WM_MOVE), NAMED(WM_SIZE),
    NAMED(WM_ACTIVATE), NAMED(WM_SETFOCUS), NAMED(WM_KILLFOCUS), NAMED(WM_ENABLE),
    NAMED(WM_SETTEXT), NAMED(WM_GETTEXT), NAMED(WM_PAINT), NAMED(WM_CLOSE), NAMED(WM_QUIT),
    NAMED(WM_ERASEBKGND), NAMED(WM_SHOWWINDOW), NAMED(WM_ACTIVATEAPP), NAMED(WM_SETCURSOR),
    NAMED(WM_MOUSEACTIVATE), NAMED(WM_GETMINMAXINFO), NAMED(WM_WINDOWPOSCHANGING),
    NAMED(WM_WINDOWPOSCHANGED), NAMED(WM_POWER), NAMED(WM_CONTEXTMENU), NAMED(WM_HELP),
    NAMED(WM_GETICON), NAMED(WM_NCCREATE), NAMED(WM_NCDESTROY), NAMED(WM_NCCALCSIZE),
    NAMED(WM_NCHITTEST), NAMED(WM_NCPAINT), NAMED(WM_NCACTIVATE), NAMED(WM_KEYDOWN),
    NAMED(WM_KEYUP), NAMED(WM_CHAR), NAMED(WM_SYSKEYDOWN), NAMED(WM_SYSKEYUP),
    NAMED(WM_SYSCOMMAND), NAMED(WM_TIMER), NAMED(WM_MOUSEMOVE), NAMED(WM_LBUTTONDOWN),
    NAMED(WM_LBUTTONUP), NAMED(WM_LBUTTONDBLCLK), NAMED(WM_RBUTTONDOWN), NAMED(WM_RBUTTONUP),
    NAMED(WM_MBUTTONDOWN), NAMED(WM_MBUTTONDBLCLK), NAMED(WM_MOUSEWHEEL),
    NAMED(WM_POWERBROADCAST), NAMED(WM_IME_SETCONTEXT), NAMED(WM_IME_NOTIFY),
    NAMED(WM_COMMAND), NAMED(WM_INITDIALOG),
};
#undef NAMED

// "WM_CLOSE", "WM_USER+0x77", "WM_APP+0x0", or hex for the rest.
std::string MessageName(UINT message)
{
    for (const NamedMessage& n : names)
        if (n.message == message) return n.name;
    char text[32];
    if (message >= WM_APP && message < 0xC000)
        snprintf(text, sizeof text, "WM_APP+0x%X", message - WM_APP);
    else if (message >= WM_USER && message < WM_APP)
        snprintf(text, sizeof text, "WM_USER+0x%X", message - WM_USER);
    else
        snprintf(text, sizeof text, "0x%04X", message);
    return text;
}

const char* Place(unsigned where)
{
    if (where & App) return "application";
    return where & Default ? "default procedure" : "sent by the probe";
}

unsigned PlaceOf(unsigned flags) { return flags & (App | Default | Sent); }

// An application row that compares lParam names only the application
// messages with that lParam: the system sends its own WM_SETCURSOR at will.
bool Named(const ExpectedMessage* table, const RecordedMessage& m)
{
    bool named = false, otherLParam = false;
    for (const ExpectedMessage* row = table; row->message || row->flags; ++row) {
        if (row->message != m.message) continue;
        named = true;
        if (m.where == App && (row->flags & (App | LParam)) == (App | LParam)) {
            if (row->lParam == m.lParam) return true;
            otherLParam = true;
        }
    }
    return named && !otherLParam;
}

bool RowMatches(const ExpectedMessage& row, const RecordedMessage& m)
{
    if (row.message != m.message || PlaceOf(row.flags) != m.where) return false;
    if ((row.flags & Default) && row.result != m.result) return false;
    if ((row.flags & WParam) && row.wParam != m.wParam) return false;
    if ((row.flags & LParam) && row.lParam != m.lParam) return false;
    return true;
}

// A row names only what it compares.
std::string DescribeRow(const ExpectedMessage& row)
{
    std::string text = MessageName(row.message) + " (" + Place(row.flags);
    if (row.flags & Default) text += ", result " + std::to_string((long)row.result);
    if (row.flags & WParam) text += ", wParam " + std::to_string((unsigned long)row.wParam);
    if (row.flags & LParam) text += ", lParam " + std::to_string((long)row.lParam);
    text += ")";
    return text;
}

// What was seen, as a row that compares all of it.
std::string Describe(const RecordedMessage& m)
{
    unsigned flags = m.where & App ? App | WParam | LParam : m.where;
    return DescribeRow(ExpectedMessage{m.message, flags, m.result, m.wParam, m.lParam});
}

}  // namespace

std::vector<RecordedMessage> ParseMessageLines(const std::vector<std::string>& lines)
{
    std::vector<RecordedMessage> out;
    for (const std::string& line : lines) {
        if (line.size() < 6 || line[1] != ' ') continue;
        RecordedMessage m = {0, 0, 0, 0, 0};
        char* end = NULL;
        m.message = (UINT)strtoul(line.c_str() + 2, &end, 16);
        if (line[0] == 'A') {
            m.where = App;
            m.wParam = (WPARAM)strtoul(end, &end, 10);
            m.lParam = (LPARAM)strtol(end, &end, 10);
        } else if (line[0] == 'D') {
            m.where = Default;
            m.result = (LRESULT)strtol(end, &end, 10);
        } else if (line[0] == 'S') {
            m.where = Sent;
        } else {
            continue;
        }
        out.push_back(m);
    }
    return out;
}

::testing::AssertionResult MessagesMatch(const char* tableName, const ExpectedMessage* table,
                                         const std::vector<RecordedMessage>& seen)
{
    std::vector<RecordedMessage> relevant;
    // Application messages not yet answered by the default procedure (the
    // innermost last), and whether each was left out.
    std::vector<std::pair<UINT, bool>> open;
    for (const RecordedMessage& m : seen) {
        bool keep = Named(table, m);
        for (size_t i = open.size(); m.where == Default && i-- > 0;) {
            if (open[i].first != m.message) continue;
            keep = keep && !open[i].second;
            open.erase(open.begin() + i);
            break;
        }
        if (m.where == App) open.push_back(std::make_pair(m.message, !keep));
        if (keep) relevant.push_back(m);
    }
    size_t row = 0;  // also the index into relevant
    auto tableDone = [&] { return table[row].message ? table[row].flags & Never : !table[row].flags; };
    while (!tableDone() && row < relevant.size() && RowMatches(table[row], relevant[row])) ++row;
    if (tableDone() && row == relevant.size()) return ::testing::AssertionSuccess();
    std::string problem = (tableDone() ? std::string("nothing more") : DescribeRow(table[row])) +
                          " expected, " +
                          (row < relevant.size() ? Describe(relevant[row]) : "nothing") +
                          " seen, row " + std::to_string(row + 1) + " of " + tableName;
    std::string all = "\nseen:";
    for (const RecordedMessage& m : relevant) all += "\n  " + Describe(m);
    return ::testing::AssertionFailure() << problem << all;
}
