#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "load/graph_mapping.h"
#include "load/load_sampler.h"

// One of the two graphs of the panel: its label, colour, the last two
// minutes of points (oldest first) and the latest value in words.
struct LoadGraph {
    std::wstring label;
    COLORREF colour = 0;
    std::vector<GraphPoint> history;
    std::wstring valueText;
    bool hasValue = false;
};

// The two graphs, with the labels and colours they start with, and what the
// panel draws them with: the font its parent gave it (WM_SETFONT; none keeps
// the DC's own) and the DPI of the window.
struct GraphState {
    GraphState();
    LoadGraph processorGraph;
    LoadGraph memoryGraph;
    HFONT font = nullptr;
    int dpi = 96;
    // The latest figures in words, for screen readers (graphPanelName).
    std::wstring panelName;
};

// Appends the latest live samples to both graphs; the caller shows them with
// showGraphs.
void updateGraphs(GraphState& graphs, const LiveState& live);

// How the panel tells screen readers its figures: the real calls unless
// given others.
struct PanelNameCalls {
    decltype(&SetWindowTextW) setWindowText = SetWindowTextW;
    decltype(&NotifyWinEvent) notifyWinEvent = NotifyWinEvent;
};

// Repaints the panel with the graphs and, when the figures in words changed,
// makes them its window text (the name screen readers read) and announces it.
void showGraphs(HWND panel, const GraphState& graphs, const PanelNameCalls& calls = PanelNameCalls{});

// The panel window's procedure. The window is made with its GraphState as the
// CreateWindowExW parameter, which it keeps for its life.
LRESULT CALLBACK panelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void paintPanel(HWND panel, const GraphState& graphs);
// The whole panel, width by height, into any device context: what paintPanel
// draws into its off-screen bitmap.
void paintPanelInto(HDC dc, int width, int height, const GraphState& graphs);
void drawGraph(HDC dc, const RECT& area, const LoadGraph& graph, int dpi);
void drawPlot(HDC dc, const RECT& box, const LoadGraph& graph, int dpi);
