#include "app/child_windows.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/group_view_decision.h"
#include "app/main_window.h"
#include "report/report_rows.h"

namespace {

constexpr int kPanelHeight96 = 120;
constexpr int kItemColumnWidth96 = 215;
constexpr int kValueColumnWidth96 = 560;
constexpr int kValueColumnMinimum96 = 200;
constexpr int kColumnSlack96 = 4;
constexpr int kStatusPart1Width96 = 210;
constexpr int kStatusPart0Minimum96 = 120;

HWND createChild(const ShellState& state, const wchar_t* className, DWORD exStyle, DWORD style, int id,
                 void* parameter = nullptr)
{
    return CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, state.mainWindow,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), state.instance, parameter);
}

// The vertical scroll bar's width at the window's DPI; where Windows has no
// GetSystemMetricsForDpi, only the system DPI's is known.
int scrollBarWidth(const DpiCalls& calls, int dpi)
{
    if (calls.getSystemMetricsForDpi != nullptr) {
        return calls.getSystemMetricsForDpi(SM_CXVSCROLL, static_cast<UINT>(dpi));
    }
    return GetSystemMetrics(SM_CXVSCROLL);
}

void insertColumn(HWND list, int index, const wchar_t* text, int width)
{
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// Group view with one group per section, in order. While group view is on,
// the list shows no item without a valid group, so a list that cannot have
// all seven (Wine's answers every group message with 0, and common controls
// before version 6 have no groups) goes back to plain rows: the report is
// never blank.
bool showSectionGroups(HWND list)
{
    GroupViewAnswers answers;
    answers.enableResult = SendMessageW(list, LVM_ENABLEGROUPVIEW, TRUE, 0);
    answers.reportedOn = SendMessageW(list, LVM_ISGROUPVIEWENABLED, 0, 0) != FALSE;
    for (int id = 0; id < kSectionCount; ++id) {
        const wchar_t* header = sectionName(static_cast<Section>(id));
        answers.insertResults[static_cast<size_t>(id)] = addReportGroup(list, id, header);
    }
    if (keepGroupView(answers)) {
        return true;
    }
    SendMessageW(list, LVM_ENABLEGROUPVIEW, FALSE, 0);
    return false;
}

}  // namespace

bool createChildWindows(MainWindow& app)
{
    ShellState& state = app.shell;
    // The panel draws the graphs it is handed here.
    state.panelWindow = createChild(state, L"KORVANE_PANEL", 0, WS_CHILD | WS_VISIBLE, 0, &app.graphs);
    state.reportList = createChild(state, WC_LISTVIEWW, WS_EX_CLIENTEDGE,
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                                   IDC_REPORT_LIST);
    state.statusBar = createChild(state, STATUSCLASSNAMEW, 0, WS_CHILD | WS_VISIBLE, 0);
    if (state.panelWindow == nullptr || state.reportList == nullptr || state.statusBar == nullptr) {
        return false;
    }

    const HWND list = state.reportList;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    insertColumn(list, 0, L"Item", app.scaled(kItemColumnWidth96));
    insertColumn(list, 1, L"Value", app.scaled(kValueColumnWidth96));
    app.reportView.grouped_ = showSectionGroups(list);
    createUiFont(app);
    return true;
}

LRESULT addReportGroup(HWND list, int id, const wchar_t* header)
{
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = const_cast<wchar_t*>(header);
    group.iGroupId = id;
    return SendMessageW(list, LVM_INSERTGROUP, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&group));
}

void createUiFont(MainWindow& app)
{
    ShellState& state = app.shell;
    LOGFONTW font = state.baseFont;
    font.lfHeight = MulDiv(state.baseFont.lfHeight, state.windowDpi, state.systemDpi);
    UniqueHFont created(CreateFontIndirectW(&font));
    if (!created) {
        return;  // the controls keep the font they have
    }
    for (const HWND control : {state.panelWindow, state.reportList, state.statusBar}) {
        if (control != nullptr) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(created.get()), TRUE);
        }
    }
    // Only now may the previous font go: every control has its successor.
    state.uiFont = std::move(created);
}

void layoutWindow(MainWindow& app)
{
    RECT client{};
    GetClientRect(app.shell.mainWindow, &client);
    layoutChildren(app, client.right, client.bottom);
}

void layoutChildren(MainWindow& app, int width, int height)
{
    ShellState& state = app.shell;
    if (state.statusBar == nullptr || state.reportList == nullptr || state.panelWindow == nullptr) {
        return;
    }

    SendMessageW(state.statusBar, WM_SIZE, 0, 0);
    RECT statusRect{};
    GetWindowRect(state.statusBar, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;

    const int parts[2] = {std::max(width - app.scaled(kStatusPart1Width96), app.scaled(kStatusPart0Minimum96)), -1};
    SendMessageW(state.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    for (WPARAM part = 0; part < 2; ++part) {
        SendMessageW(state.statusBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(state.statusText[part].c_str()));
    }

    const int panelHeight = app.scaled(kPanelHeight96);
    MoveWindow(state.panelWindow, 0, 0, width, panelHeight, TRUE);
    MoveWindow(state.reportList, 0, panelHeight, width, std::max(height - panelHeight - statusHeight, 0), TRUE);

    RECT listClient{};
    GetClientRect(state.reportList, &listClient);
    const int itemWidth = app.scaled(kItemColumnWidth96);
    const int valueWidth = std::max(static_cast<int>(listClient.right) - app.scaled(kColumnSlack96) - itemWidth -
                                        scrollBarWidth(app.calls.dpi, state.windowDpi),
                                    app.scaled(kValueColumnMinimum96));
    SendMessageW(state.reportList, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(itemWidth, 0));
    SendMessageW(state.reportList, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(valueWidth, 0));
}
