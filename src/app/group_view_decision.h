#pragma once

#include <array>
#include <cstdint>

#include "report/report_rows.h"

// What the report list answered while its section groups were set up. No
// Windows header here: whether to keep group view is decided from plain values.
struct GroupViewAnswers {
    // LVM_ENABLEGROUPVIEW (TRUE): 1 turned on, 0 already as asked, -1 failed.
    int64_t enableResult = -1;
    // LVM_ISGROUPVIEWENABLED afterwards.
    bool reportedOn = false;
    // LVM_INSERTGROUP for each section in order: the group's index, -1 refused.
    std::array<int64_t, kSectionCount> insertResults{};
};

// True when the rows may go into the section groups: group view is on and all
// seven groups exist. Otherwise the list must show its rows without groups, as
// a grouped list shows no item that lacks a valid group.
[[nodiscard]] bool keepGroupView(const GroupViewAnswers& answers);
