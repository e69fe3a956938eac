#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "load/graph_mapping.h"
#include "load/load_sampler.h"

// The panel's window class; tests find the panel by it.
inline constexpr wchar_t kPanelClass[] = L"KORVANE_PANEL";

// One of the two graphs of the panel: its label, colour, the last two
// minutes of points (oldest first) and the latest value in words.
struct LoadGraph {
    std::wstring label;
    COLORREF colour = 0;
    std::vector<GraphPoint> history;
    std::wstring valueText;
    bool hasValue = false;
};

// What the panel draws: the two graphs, the font its parent gave it (none
// keeps the DC's own), the DPI of the window and whether a high-contrast
// scheme is on. Plain values, so a picture can be painted into any device
// context.
struct GraphPicture {
    LoadGraph processorGraph;
    LoadGraph memoryGraph;
    HFONT font = nullptr;
    int dpi = 96;
    // The lines then take the scheme's text colour instead of their own.
    bool highContrast = false;
};

// How the panel tells screen readers its figures: the real calls unless
// given others.
struct PanelNameCalls {
    decltype(&SetWindowTextW) setWindowText = SetWindowTextW;
    decltype(&NotifyWinEvent) notifyWinEvent = NotifyWinEvent;
};

// The load-graph panel: the two graphs with the labels and colours they
// start with, and the panel window that shows them. The window is made with
// its LoadGraphs as the CreateWindowExW parameter and reaches it through
// GWLP_USERDATA for its life.
class LoadGraphs {
public:
    explicit LoadGraphs(PanelNameCalls calls = PanelNameCalls{});
    LoadGraphs(const LoadGraphs&) = delete;
    LoadGraphs& operator=(const LoadGraphs&) = delete;

    // The panel's window class, with windowProc; false when Windows refuses it.
    [[nodiscard]] static bool registerClass(HINSTANCE instance);
    static void unregisterClass(HINSTANCE instance);
    // The procedure of the panel's window class.
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the panel, drawing these graphs, as a child of `parent`; null
    // when it cannot be made.
    HWND create(HWND parent, HINSTANCE instance);
    [[nodiscard]] HWND handle() const { return panel_; }
    // The DPI the graphs are drawn at.
    void setDpi(int dpi) { picture_.dpi = dpi; }
    // Draws the lines in the scheme's text colour while a high-contrast
    // scheme is on, in their own colours otherwise; repaints on a change.
    void setHighContrast(bool on);
    // Appends the latest live samples to both graphs and repaints the panel;
    // when the figures in words changed, they become the panel's window text
    // (the name screen readers read) and are announced.
    void update(const LiveState& live);
    [[nodiscard]] const LoadGraph& processorGraph() const { return picture_.processorGraph; }
    [[nodiscard]] const LoadGraph& memoryGraph() const { return picture_.memoryGraph; }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void show();

    PanelNameCalls calls_;
    GraphPicture picture_;
    // The latest figures in words, for screen readers (graphPanelName).
    std::wstring name_;
    HWND panel_ = nullptr;
};

// The whole panel, width by height, into any device context: what the panel
// draws into its off-screen bitmap.
void paintPanelInto(HDC dc, int width, int height, const GraphPicture& picture);
