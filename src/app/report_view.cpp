#include "app/report_view.h"

#include <windows.h>

#include <commctrl.h>

#include "app/main_window.h"
#include "common/unique_resource.h"
#include "report/completeness.h"
#include "report/report_rows.h"
#include "report/value_text.h"

void fillReportView(MainWindow& app, const ReportPage& page)
{
    const HWND list = app.shell.reportList;
    ReportViewState& view = app.reportView;
    {
        const RedrawDisabler quiet(list);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        view.shownRows.clear();
        view.liveRowIndex.fill(-1);

        for (const ReportRow& row : buildReportRows(page)) {
            const auto section = static_cast<int32_t>(row.section);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(view.shownRows.size());
            item.pszText = const_cast<wchar_t*>(row.item.c_str());
            if (view.grouped_) {
                item.mask |= LVIF_GROUPID;
                item.iGroupId = (section >= 0 && section < kSectionCount) ? section : 0;
            }
            const auto index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            if (index < 0) {
                continue;  // the list refused the row: it is left out
            }
            LVITEMW value{};
            value.iSubItem = 1;
            value.pszText = const_cast<wchar_t*>(row.value.c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&value));
            view.shownRows.emplace_back(row.item, row.value);
            const auto kind = static_cast<uint32_t>(row.liveKind);
            if (kind >= 1 && kind <= 7) {
                view.liveRowIndex[kind - 1] = index;
            }
        }
    }
    // A new report opens at its top. Not every list view resets its scroll
    // position when it is emptied with redraw off (Wine's keeps it). SB_TOP
    // reaches the very top, above the first group's header, which bringing
    // row 0 into view may leave out; Wine's list ignores SB_TOP, and row 0
    // in view is its top.
    SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
}

void setLiveRowValue(MainWindow& app, int index, const std::wstring& text)
{
    ReportViewState& view = app.reportView;
    if (index < 0 || static_cast<size_t>(index) >= view.shownRows.size()) {
        return;
    }
    std::wstring& shown = view.shownRows[static_cast<size_t>(index)].second;
    if (shown == text) {
        return;  // unchanged: no message, no redraw
    }
    shown = text;
    LVITEMW value{};
    value.iSubItem = 1;
    value.pszText = const_cast<wchar_t*>(shown.c_str());
    SendMessageW(app.shell.reportList, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&value));
}

void updateLiveRows(MainWindow& app)
{
    const ReportViewState& view = app.reportView;
    const LiveState& live = app.live;
    for (uint32_t kind = 1; kind <= 7; ++kind) {
        const int index = view.liveRowIndex[kind - 1];
        if (index < 0) {
            continue;
        }
        setLiveRowValue(app, index, liveValueText(static_cast<LiveKind>(kind), live.liveMemory, live.liveLoad));
    }
}

void setStatusText(MainWindow& app, int part, const std::wstring& text)
{
    if (part != 0 && part != 1) {
        return;
    }
    ShellState& state = app.shell;
    state.statusText[static_cast<size_t>(part)] = text;
    if (state.statusBar != nullptr) {
        SendMessageW(state.statusBar, SB_SETTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(state.statusText[static_cast<size_t>(part)].c_str()));
    }
}

void showCompleteness(MainWindow& app)
{
    const ScanState& scan = app.scan;
    if (!scan.currentSnapshot) {
        return;
    }
    const LiveState& live = app.live;
    setStatusText(app, 0, completenessSummary(mergeTally(scan.currentSnapshot->tally, live.liveMemory, live.liveLoad)));
}
