#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "load/graph_mapping.h"

// One of the two graphs of the panel: its label, colour, the last two
// minutes of points (oldest first) and the latest value in words.
struct LoadGraph {
    std::wstring label;
    COLORREF colour = 0;
    std::vector<GraphPoint> history;
    std::wstring valueText;
    bool hasValue = false;
};

struct GraphState {
    LoadGraph processorGraph;
    LoadGraph memoryGraph;
};

[[nodiscard]] GraphState& graphState();

// Start-up: the labels and colours of the two graphs.
void initGraphs();
// Appends the latest live samples to both graphs and repaints the panel.
void updateGraphs();
// The one-second tick: sample, update the live rows, the graphs and the status.
void timerTick();

LRESULT CALLBACK panelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void paintPanel(HWND panel);
// The whole panel, width by height, into any device context: what paintPanel
// draws into its off-screen bitmap.
void paintPanelInto(HDC dc, int width, int height);
void drawGraph(HDC dc, const RECT& area, const LoadGraph& graph);
void drawPlot(HDC dc, const RECT& box, const LoadGraph& graph);
