#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "report/snapshot.h"

class MainWindow;

// What the list shows beside the control: the two texts of every item, and
// where each of the seven live rows is (-1 while it is not in the list).
struct ReportViewState {
    std::vector<std::pair<std::wstring, std::wstring>> shownRows;
    std::array<int, 7> liveRowIndex{-1, -1, -1, -1, -1, -1, -1};

private:
    // Whether the list shows the section groups, decided when the list is
    // made; rows carry group ids only then.
    bool grouped_ = false;
    friend bool createChildWindows(MainWindow& app);
    friend void fillReportView(MainWindow& app, const ReportPage& page);
};

// Empties the list and fills it with the page's rows, one group per section.
void fillReportView(MainWindow& app, const ReportPage& page);
// Rewrites the value of every live row from the latest live samples.
void updateLiveRows(MainWindow& app);
// Sets one row's value unless it is unchanged.
void setLiveRowValue(MainWindow& app, int index, const std::wstring& text);
// Remembers and shows the text of status-bar part 0 or 1.
void setStatusText(MainWindow& app, int part, const std::wstring& text);
// The completeness sentence of the current page in status part 0.
void showCompleteness(MainWindow& app);
