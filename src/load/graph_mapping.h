#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "report/snapshot.h"

// The arithmetic of the load graphs, free of any drawing: where the boxes of
// one graph lie, which pixel each history point lands on, and where the line
// breaks. All sizes are given at 96 DPI and scaled for the window's DPI
// (common/dpi_scale.h).

inline constexpr size_t GRAPH_HISTORY_POINTS = 120;

struct GraphPoint {
    bool valid = false;
    double percent = 0.0;
};

// A pixel rectangle, right and bottom exclusive (as a RECT).
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// Appends one second and drops the oldest points beyond the capacity.
void appendGraphPoint(std::vector<GraphPoint>& history, GraphPoint point);

// What one second adds to each graph: the point, and the value in words.
[[nodiscard]] GraphPoint loadGraphPoint(const LoadSample& load);
[[nodiscard]] GraphPoint memoryGraphPoint(const MemorySample& memory);
// "NN%   <in use> of <total>" for a read sample (the load Windows states, not
// one computed here), otherwise why the memory could not be read.
[[nodiscard]] std::wstring memoryGraphText(const MemorySample& memory);

// The panel's name for screen readers: the figures the graphs show, in
// whole percent so that it changes less often than the painted value, e.g.
// "Processor load 23%, memory in use 41%". A figure without a value says so
// ("not measured", "could not be read"); the reasons stay in the report.
[[nodiscard]] std::wstring graphPanelName(const LoadSample& load, const MemorySample& memory);

// The boxes of one graph in its half of the panel. The value box and the plot
// box exist only when the graph has a value to show.
struct GraphLayout {
    PixelBox labelBox;
    bool hasPlotArea = false;  // false: only the label is drawn
    PixelBox plotArea;
    bool hasValueBox = false;
    PixelBox valueBox;
    bool hasPlotBox = false;
    PixelBox plotBox;
};

[[nodiscard]] GraphLayout graphLayout(PixelBox area, int dpi, bool hasValue);

// False when the plot box is too small to draw anything in.
[[nodiscard]] bool plotBoxUsable(PixelBox box, int dpi);
// The row of grid line k (1, 2, 3 for 25, 50, 75 percent).
[[nodiscard]] int gridLineY(PixelBox box, int k);

// The width of the line's pen at `dpi`: one pixel at 96 DPI, never less.
[[nodiscard]] int plotPenWidth(int dpi);

// The box to map the line's points into so that a pen `penWidth` wide, drawn
// through them, stays off the frame of `box`. GDI centres a wide pen on the
// point and may give the odd pixel to either side, so the box shrinks by
// penWidth - 1 on every side; a one-pixel pen keeps the box as it is.
[[nodiscard]] PixelBox lineBox(PixelBox box, int penWidth);

// The pixel of the point at `index` of `count` (0 is the oldest), inside the
// box's frame. The newest point sits just left of the right frame line; the
// horizontal scale is fixed by the capacity, so a young history fills only the
// right part of the box.
[[nodiscard]] PixelPoint plotPixel(PixelBox box, size_t index, size_t count, double percent);

// The square of a lone point, `size` pixels wide, inside the box's frame and
// covering the point.
[[nodiscard]] PixelBox dotBox(PixelBox box, PixelPoint point, int size);

// The runs of consecutive valid points, oldest first, in pixels. A run of two
// or more points is a line; a run of one is a single dot.
[[nodiscard]] std::vector<std::vector<PixelPoint>> plotRuns(PixelBox box, std::span<const GraphPoint> history);
