#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "report/snapshot.h"

// The report list and what it shows, kept beside the control: the two texts
// of every item, and where each of the seven live rows is (-1 while it is
// not in the list).
class ReportView {
public:
    using Rows = std::vector<std::pair<std::wstring, std::wstring>>;

    // The list view the main window made for it.
    void attach(HWND list) { list_ = list; }
    [[nodiscard]] HWND handle() const { return list_; }
    // Extended styles, the two columns and, where the list has them, one
    // group per section.
    void prepare(int itemWidth, int valueWidth);
    void setColumnWidths(int itemWidth, int valueWidth);

    // Empties the list and fills it with the page's rows, one group per section.
    void fill(const ReportPage& page);
    // Rewrites the value of every live row from the latest live samples.
    void updateLive(const MemorySample& memory, const LoadSample& load);
    // Sets one row's value unless it is unchanged.
    void setLiveRowValue(int index, const std::wstring& text);
    // The item and value texts of every row, as the list shows them.
    [[nodiscard]] const Rows& shownRows() const { return shownRows_; }

private:
    [[nodiscard]] static std::array<int, kLiveRowCount> noLiveRows()
    {
        std::array<int, kLiveRowCount> none{};
        none.fill(-1);
        return none;
    }

    HWND list_ = nullptr;
    Rows shownRows_;
    // Where each live kind's row sits in the list, -1 while it is not shown.
    std::array<int, kLiveRowCount> liveRowIndex_ = noLiveRows();
    // Whether the list shows the section groups, decided when it is
    // prepared; rows carry group ids only then.
    bool grouped_ = false;
};

// Appends one group; LVM_INSERTGROUP's answer, the group's index or -1.
LRESULT addReportGroup(HWND list, int id, const wchar_t* header);
