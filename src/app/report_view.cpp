#include "app/report_view.h"

#include <commctrl.h>

#include "app/group_view_decision.h"
#include "common/unique_resource.h"
#include "report/report_rows.h"
#include "report/value_text.h"

namespace {

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

LRESULT addReportGroup(HWND list, int id, const wchar_t* header)
{
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = const_cast<wchar_t*>(header);
    group.iGroupId = id;
    return SendMessageW(list, LVM_INSERTGROUP, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&group));
}

void ReportView::prepare(int itemWidth, int valueWidth)
{
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    insertColumn(list_, 0, L"Item", itemWidth);
    insertColumn(list_, 1, L"Value", valueWidth);
    grouped_ = showSectionGroups(list_);
}

void ReportView::setColumnWidths(int itemWidth, int valueWidth)
{
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(itemWidth, 0));
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(valueWidth, 0));
}

void ReportView::fill(const ReportPage& page)
{
    {
        const RedrawDisabler quiet(list_);
        SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
        shownRows_.clear();
        liveRowIndex_.fill(-1);

        for (const ReportRow& row : buildReportRows(page)) {
            const auto section = static_cast<int32_t>(row.section);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(shownRows_.size());
            item.pszText = const_cast<wchar_t*>(row.item.c_str());
            if (grouped_) {
                item.mask |= LVIF_GROUPID;
                item.iGroupId = (section >= 0 && section < kSectionCount) ? section : 0;
            }
            const auto index =
                static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            if (index < 0) {
                continue;  // the list refused the row: it is left out
            }
            LVITEMW value{};
            value.iSubItem = 1;
            value.pszText = const_cast<wchar_t*>(row.value.c_str());
            SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&value));
            shownRows_.emplace_back(row.item, row.value);
            const auto kind = static_cast<uint32_t>(row.liveKind);
            if (kind >= 1 && kind <= kLiveRowCount) {
                liveRowIndex_[kind - 1] = index;
            }
        }
    }
    // A new report opens at its top. Not every list view resets its scroll
    // position when it is emptied with redraw off (Wine's keeps it). SB_TOP
    // reaches the very top, above the first group's header, which bringing
    // row 0 into view may leave out; Wine's list ignores SB_TOP, and row 0
    // in view is its top.
    SendMessageW(list_, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
}

void ReportView::setLiveRowValue(int index, const std::wstring& text)
{
    if (index < 0 || static_cast<size_t>(index) >= shownRows_.size()) {
        return;
    }
    std::wstring& shown = shownRows_[static_cast<size_t>(index)].second;
    if (shown == text) {
        return;  // unchanged: no message, no redraw
    }
    shown = text;
    LVITEMW value{};
    value.iSubItem = 1;
    value.pszText = const_cast<wchar_t*>(shown.c_str());
    SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&value));
}

void ReportView::updateLive(const MemorySample& memory, const LoadSample& load)
{
    for (uint32_t kind = 1; kind <= kLiveRowCount; ++kind) {
        const int index = liveRowIndex_[kind - 1];
        if (index < 0) {
            continue;
        }
        setLiveRowValue(index, liveValueText(static_cast<LiveKind>(kind), memory, load));
    }
}
