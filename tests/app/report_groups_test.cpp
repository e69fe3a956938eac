#include "app/group_view_decision.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/report_view.h"
#include "report/report_rows.h"
#include "common/system_function.h"
#include "support/under_wine.h"
#include "support/window_subclass.h"
#include "support/window_support.h"
#include "support/live_samples.h"

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
    } cases[] = {{"turned on, seven groups", with(1, true, -1), true},
                 {"already on, seven groups", with(0, true, -1), true},
                 {"enable failed", with(-1, true, -1), false},
                 {"enable answered 0 but group view is off (Wine)", with(0, false, -1), false},
                 {"first group refused", with(1, true, 0), false},
                 {"last group refused", with(1, true, kSectionCount - 1), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(keepGroupView(c.answers), c.kept) << c.what;
    }
}

// The report view on a list of the test's own, filled with the page of an
// instant scan.
class ReportViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        view_.attach(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 500, 400,
                                     parent_, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_NE(view_.handle(), nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    void fill()
    {
        ScanSnapshot snapshot;
        page_ = buildReportPage(instantScan(snapshot), MemorySample{}, LoadSample{}, L"then", L"now");
        view_.fill(page_);
        rows_ = buildReportRows(page_);
    }

    HWND parent_ = nullptr;
    ReportView view_;
    ReportPage page_;
    std::vector<ReportRow> rows_;
};

// A list view that has group view (it follows LVM_ENABLEGROUPVIEW and answers
// LVM_ISGROUPVIEWENABLED as Windows documents, whatever the real control
// does) but refuses every group, and counts the rows sent with a group id.
struct GroupRefusingList {
    bool groupViewOn = false;
    int groupsRefused = 0;
    int rowsWithGroupId = 0;
};

LRESULT CALLBACK refuseGroupsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
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

// The major version of the common controls this test program has bound,
// 0 when it cannot tell.
DWORD commonControlsVersion()
{
    const auto getVersion = findSystemFunction<HRESULT(CALLBACK*)(DLLVERSIONINFO*)>(L"comctl32.dll", "DllGetVersion");
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    return getVersion != nullptr && SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
}

}  // namespace

// A list view that refuses the groups still shows the whole report: group view
// goes off again and no row carries a group id, which would hide it.
TEST_F(ReportViewTest, AListThatRefusesTheGroupsShowsEveryRowWithoutGroups)
{
    GroupRefusingList refusing;
    const WindowSubclass subclass(view_.handle(), refuseGroupsProc, 1, reinterpret_cast<DWORD_PTR>(&refusing));
    ASSERT_TRUE(subclass.installed());
    view_.prepare(100, 200);
    fill();

    EXPECT_GT(refusing.groupsRefused, 0);
    EXPECT_FALSE(refusing.groupViewOn) << "group view was left on";
    EXPECT_EQ(refusing.rowsWithGroupId, 0) << "rows were given groups the list does not have";
    const auto shown = listRows(view_.handle());
    ASSERT_EQ(shown.size(), rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        EXPECT_EQ(shown[i].first, rows_[i].item);
    }
}

// Only a list view with groups can show them: common controls version 6 on
// Windows, which the test program's manifest binds. Wine's has none, and
// there this test skips; on Windows a list that refuses them fails it.
TEST_F(ReportViewTest, TheSevenSectionsAreGroupsWhereTheListHasThem)
{
    if (runningUnderWine()) {
        GTEST_SKIP() << "Wine's list view has no group view (it answers every group message with 0)";
    }
    if (commonControlsVersion() < 6) {
        GTEST_SKIP() << "common controls " << commonControlsVersion() << " have no group view";
    }
    view_.prepare(100, 200);
    fill();
    const HWND list = view_.handle();
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

    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) {
        SCOPED_TRACE(rows_[i].item);
        LVITEMW item{};
        item.mask = LVIF_GROUPID;
        item.iItem = static_cast<int>(i);
        ASSERT_NE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)), FALSE);
        EXPECT_EQ(item.iGroupId, static_cast<int>(rows_[i].section));
    }
    for (const size_t index : {size_t{0}, rows_.size() - 1}) {
        SCOPED_TRACE(rows_[index].item);
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        ASSERT_NE(SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds)), FALSE);
        EXPECT_FALSE(IsRectEmpty(&bounds)) << "the row is not shown";
    }

    // A new fill from the bottom opens at the very top, the first header included.
    SendMessageW(list, LVM_ENSUREVISIBLE, rows_.size() - 1, FALSE);
    fill();
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

// One message for a value that changed, none for one that did not or for a
// row that is not there.
TEST_F(ReportViewTest, RewritesARowOnlyWhenItsTextChanged)
{
    view_.prepare(100, 200);
    fill();
    ASSERT_EQ(listRows(view_.handle()), view_.shownRows());
    ASSERT_GT(view_.shownRows().size(), 2u);

    MessageCounter rewrites(view_.handle(), LVM_SETITEMTEXTW);
    ASSERT_TRUE(rewrites.installed());
    rewrites.reset();
    view_.setLiveRowValue(1, view_.shownRows()[1].second);
    EXPECT_EQ(rewrites.count(), 0);
    view_.setLiveRowValue(1, L"changed");
    EXPECT_EQ(rewrites.count(), 1);
    EXPECT_EQ(listText(view_.handle(), 1, 1), L"changed");
    EXPECT_EQ(view_.shownRows()[1].second, L"changed");
    view_.setLiveRowValue(-1, L"x");
    view_.setLiveRowValue(static_cast<int>(view_.shownRows().size()), L"x");
    EXPECT_EQ(rewrites.count(), 1) << "an index outside the list is ignored";
}

// A tick changes all seven live figures at once; every live row, the last
// included, shows its new value.
TEST_F(ReportViewTest, UpdateLiveRewritesEveryLiveRow)
{
    view_.prepare(100, 200);
    fill();  // memory unread, no load derived
    view_.updateLive(typicalMemory(), typicalLoad());

    const std::pair<LiveKind, const wchar_t*> live[] = {{LiveKind::ProcessorLoad, L"12.3%"},
                                                        {LiveKind::MemoryTotal, L"16.0 GB"},
                                                        {LiveKind::MemoryInUse, L"10.0 GB"},
                                                        {LiveKind::MemoryFree, L"6.0 GB"},
                                                        {LiveKind::MemoryLoad, L"62%"},
                                                        {LiveKind::CommitTotal, L"20.0 GB"},
                                                        {LiveKind::CommitAvailable, L"9.5 GB"}};
    static_assert(std::size(live) == kLiveRowCount);
    const auto shown = listRows(view_.handle());
    for (const auto& [kind, value] : live) {
        const size_t index = fixedRowIndex(kind);
        ASSERT_LT(index, shown.size());
        EXPECT_EQ(shown[index].first, kFixedRows[index].label);
        EXPECT_EQ(shown[index].second, value) << kFixedRows[index].label;
    }
}
