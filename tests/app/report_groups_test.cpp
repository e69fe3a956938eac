#include "app/group_view_decision.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_harness.h"
#include "app/window_subclass.h"
#include "common/scope_exit.h"
#include "report/report_rows.h"

namespace {

TEST(GroupViewDecision, KeepsGroupsOnlyWhenTheListHasAllSeven)
{
    GroupViewAnswers accepted;
    accepted.enableResult = 1;
    accepted.reportedOn = true;
    for (int i = 0; i < kSectionCount; ++i) {
        accepted.insertResults[static_cast<size_t>(i)] = i;
    }
    const auto with = [&accepted](int64_t enableResult, bool reportedOn, int refused) {
        GroupViewAnswers answers = accepted;
        answers.enableResult = enableResult;
        answers.reportedOn = reportedOn;
        if (refused >= 0) {
            answers.insertResults[static_cast<size_t>(refused)] = -1;
        }
        return answers;
    };
    const struct {
        const char* what;
        GroupViewAnswers answers;
        bool kept;
    } cases[] = {
        {"turned on, seven groups", with(1, true, -1), true},
        {"already on, seven groups", with(0, true, -1), true},
        {"enable failed", with(-1, true, -1), false},
        {"enable answered 0 but group view is off (Wine)", with(0, false, -1), false},
        {"first group refused", with(1, true, 0), false},
        {"last group refused", with(1, true, kSectionCount - 1), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keepGroupView(c.answers), c.kept) << c.what;
    }
}

// A list view that has group view (it follows LVM_ENABLEGROUPVIEW and answers
// LVM_ISGROUPVIEWENABLED as Windows documents, whatever the real control
// does) but refuses every group, and counts the rows sent with a group id.
struct GroupRefusingList {
    bool groupViewOn = false;
    int groupsRefused = 0;
    int rowsWithGroupId = 0;
};

LRESULT CALLBACK refuseGroupsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data)
{
    auto& list = *reinterpret_cast<GroupRefusingList*>(data);
    switch (message) {
    case LVM_ENABLEGROUPVIEW: {
        DefSubclassProc(window, message, wParam, lParam);
        const bool wasOn = list.groupViewOn;
        list.groupViewOn = wParam != FALSE;
        return wasOn == list.groupViewOn ? 0 : 1;
    }
    case LVM_ISGROUPVIEWENABLED:
        return list.groupViewOn ? TRUE : FALSE;
    case LVM_INSERTGROUP:
        ++list.groupsRefused;
        return -1;
    case LVM_INSERTITEMW:
        if ((reinterpret_cast<const LVITEMW*>(lParam)->mask & LVIF_GROUPID) != 0) {
            ++list.rowsWithGroupId;
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The groups are set up while the main window is created, so the subclass
// goes onto the report list as it is made.
GroupRefusingList refusingList;
std::unique_ptr<WindowSubclass> refusingSubclass;

LRESULT CALLBACK subclassNewListView(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && !refusingSubclass) {
        const auto window = reinterpret_cast<HWND>(wParam);
        wchar_t className[64]{};
        GetClassNameW(window, className, 64);
        if (lstrcmpiW(className, WC_LISTVIEWW) == 0) {
            refusingSubclass = std::make_unique<WindowSubclass>(window, refuseGroupsProc, 1,
                                                                reinterpret_cast<DWORD_PTR>(&refusingList));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ReportGroups : public WindowTest {
protected:
    // The rows of the installed scan's page, as the list should show them.
    std::vector<ReportRow> expectedRows()
    {
        const LiveState& live = app().live;
        return buildReportRows(buildReportPage(*app().scan.currentSnapshot, live.liveMemory, live.liveLoad,
                                               app().scan.scanTakenAt, live.liveTakenAt));
    }
};

// Whether this system's list view has groups at all, asked of a list of the
// test's own (Wine's answers every group message with 0).
bool listViewHasGroups(HWND parent)
{
    const HWND probe = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 100, 100, parent, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    const ScopeExit destroy([probe] { DestroyWindow(probe); });
    SendMessageW(probe, LVM_ENABLEGROUPVIEW, TRUE, 0);
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = const_cast<wchar_t*>(L"probe");
    group.iGroupId = 0;
    const LRESULT index =
        SendMessageW(probe, LVM_INSERTGROUP, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&group));
    return SendMessageW(probe, LVM_ISGROUPVIEWENABLED, 0, 0) != FALSE && index >= 0 &&
           SendMessageW(probe, LVM_GETGROUPCOUNT, 0, 0) == 1;
}

}  // namespace

// A list view that refuses the groups still shows the whole report: group view
// goes off again and no row carries a group id, which would hide it.
TEST_F(ReportGroups, AListThatRefusesTheGroupsShowsEveryRowWithoutGroups)
{
    refusingList = GroupRefusingList{};
    // The subclass goes before the window, whose list it is on.
    const ScopeExit removeSubclass([] { refusingSubclass.reset(); });
    {
        const HHOOK hook = SetWindowsHookExW(WH_CBT, subclassNewListView, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        const ScopeExit unhook([hook] { UnhookWindowsHookEx(hook); });
        MainWindowCalls calls;
        calls.scan = instantScan;
        startWindow(calls);
    }
    ASSERT_TRUE(refusingSubclass && refusingSubclass->installed());
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    ASSERT_TRUE(app().scan.currentSnapshot);

    EXPECT_GT(refusingList.groupsRefused, 0);
    EXPECT_FALSE(refusingList.groupViewOn) << "group view was left on";
    EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_ISGROUPVIEWENABLED, 0, 0), FALSE);
    EXPECT_EQ(refusingList.rowsWithGroupId, 0) << "rows were given groups the list does not have";
    const std::vector<ReportRow> rows = expectedRows();
    const auto shown = listRows(app());
    ASSERT_EQ(shown.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(shown[i].first, rows[i].item);
    }
}

// Only a list view with groups can show them: common controls version 6 on
// Windows. Wine's has none, and there this test skips.
TEST_F(ReportGroups, TheSevenSectionsAreGroupsWhereTheListHasThem)
{
    MainWindowCalls calls;
    calls.scan = instantScan;
    startWindow(calls);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    if (!listViewHasGroups(app().handle())) {
        GTEST_SKIP() << "this system's list view has no group view (Wine's answers every group message with 0)";
    }
    const HWND list = app().shell.reportList;
    EXPECT_NE(SendMessageW(list, LVM_ISGROUPVIEWENABLED, 0, 0), FALSE);
    ASSERT_EQ(SendMessageW(list, LVM_GETGROUPCOUNT, 0, 0), kSectionCount);
    for (int index = 0; index < kSectionCount; ++index) {
        SCOPED_TRACE(index);
        wchar_t header[64]{};
        LVGROUP group{};
        group.cbSize = sizeof(group);
        group.mask = LVGF_HEADER | LVGF_GROUPID;
        group.pszHeader = header;
        group.cchHeader = 64;
        ASSERT_NE(SendMessageW(list, LVM_GETGROUPINFOBYINDEX, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(&group)),
                  FALSE);
        EXPECT_EQ(group.iGroupId, index);
        EXPECT_EQ(std::wstring(header), sectionName(static_cast<Section>(index)));
    }

    const std::vector<ReportRow> rows = expectedRows();
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].item);
        LVITEMW item{};
        item.mask = LVIF_GROUPID;
        item.iItem = static_cast<int>(i);
        ASSERT_NE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)), FALSE);
        EXPECT_EQ(item.iGroupId, static_cast<int>(rows[i].section));
    }
    for (const size_t index : {size_t{0}, rows.size() - 1}) {
        SCOPED_TRACE(rows[index].item);
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        ASSERT_NE(SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds)), FALSE);
        EXPECT_FALSE(IsRectEmpty(&bounds)) << "the row is not shown";
    }

    // A rescan from the bottom opens at the very top, the first header included.
    ASSERT_TRUE(SetWindowPos(app().handle(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER));
    SendMessageW(list, LVM_ENSUREVISIBLE, rows.size() - 1, FALSE);
    SendMessageW(app().handle(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    RECT header{};
    header.top = LVGGR_HEADER;
    ASSERT_NE(SendMessageW(list, LVM_GETGROUPRECT, 0, reinterpret_cast<LPARAM>(&header)), FALSE);
    // The view begins below the column headings, which cover the client area's top.
    RECT headings{};
    GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &headings);
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_GE(header.top, headings.bottom - headings.top) << "the first group's header is above the view";
    EXPECT_GT(header.bottom, header.top);
    EXPECT_LE(header.bottom, client.bottom);
}
