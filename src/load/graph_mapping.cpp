#include "load/graph_mapping.h"

#include <algorithm>
#include <utility>

#include "common/dpi_scale.h"
#include "report/value_text.h"

void appendGraphPoint(std::vector<GraphPoint>& history, GraphPoint point)
{
    history.push_back(point);
    if (history.size() > GRAPH_HISTORY_POINTS) {
        history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(GRAPH_HISTORY_POINTS));
    }
}

GraphPoint loadGraphPoint(const LoadSample& load)
{
    return GraphPoint{load.measured, load.measured ? load.percent : 0.0};
}

GraphPoint memoryGraphPoint(const MemorySample& memory)
{
    return GraphPoint{memory.read, memory.read ? static_cast<double>(memory.loadPercent) : 0.0};
}

std::wstring memoryGraphText(const MemorySample& memory)
{
    if (!memory.read) {
        return memoryFailureText(memory);
    }
    return percentText(static_cast<double>(memory.loadPercent), 0) + L"   " + byteSizeText(memory.inUse) + L" of " +
           byteSizeText(memory.totalPhysical);
}

std::wstring graphPanelName(const LoadSample& load, const MemorySample& memory)
{
    const std::wstring processor = load.measured ? percentText(load.percent, 0) : L"not measured";
    const std::wstring inUse =
        memory.read ? percentText(static_cast<double>(memory.loadPercent), 0) : L"could not be read";
    return L"Processor load " + processor + L", memory in use " + inUse;
}

GraphLayout graphLayout(PixelBox area, int dpi, bool hasValue)
{
    const int margin = scaledAt(8, dpi);
    GraphLayout layout;
    layout.labelBox = {area.left + margin, area.top, area.left + margin + scaledAt(66, dpi), area.bottom};

    const PixelBox plotArea{layout.labelBox.right + margin, area.top + scaledAt(5, dpi), area.right - margin,
                            area.bottom - scaledAt(5, dpi)};
    if (plotArea.right <= plotArea.left) {
        return layout;
    }
    layout.hasPlotArea = true;
    layout.plotArea = plotArea;
    if (!hasValue) {
        return layout;
    }

    PixelBox valueBox = plotArea;
    valueBox.left = plotArea.right - scaledAt(190, dpi);
    if (valueBox.left < plotArea.left) {
        valueBox.left = plotArea.left;
    }
    layout.hasValueBox = true;
    layout.valueBox = valueBox;

    PixelBox plotBox = plotArea;
    plotBox.right = valueBox.left - margin;
    if (plotBox.right > plotBox.left) {
        layout.hasPlotBox = true;
        layout.plotBox = plotBox;
    }
    return layout;
}

bool plotBoxUsable(PixelBox box, int dpi)
{
    return box.right - box.left >= scaledAt(24, dpi) && box.bottom - box.top >= scaledAt(10, dpi);
}

int gridLineY(PixelBox box, int k)
{
    const int height = box.bottom - box.top;
    return box.bottom - mulDivRounded(height - 2, k, 4) - 1;
}

int plotPenWidth(int dpi)
{
    return std::max(1, scaledAt(1, dpi));
}

PixelBox lineBox(PixelBox box, int penWidth)
{
    const int reach = std::max(0, penWidth - 1);
    return PixelBox{box.left + reach, box.top + reach, box.right - reach, box.bottom - reach};
}

PixelPoint plotPixel(PixelBox box, size_t index, size_t count, double percent)
{
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const size_t age = count - 1 - index;
    // The points lie inside the frame, columns left + 1 to right - 2: the
    // frame's own columns would hide the newest second under the frame line.
    const double step = static_cast<double>(width - 3) / static_cast<double>(GRAPH_HISTORY_POINTS - 1);
    // Clamped; a value that is not a number at all is drawn at 0.
    const double value = percent > 100.0 ? 100.0 : (percent > 0.0 ? percent : 0.0);
    PixelPoint pixel;
    // Both products are never negative here, so adding 0.5 and truncating
    // rounds to nearest, as the mapping has always drawn.
    // NOLINTBEGIN(bugprone-incorrect-roundings)
    pixel.x = box.right - 2 - static_cast<int>(static_cast<double>(age) * step + 0.5);
    pixel.y = (box.bottom - 2) - static_cast<int>(value / 100.0 * static_cast<double>(height - 3) + 0.5);
    // NOLINTEND(bugprone-incorrect-roundings)
    return pixel;
}

PixelBox dotBox(PixelBox box, PixelPoint point, int size)
{
    // From the point right and down, moved back where that would reach the
    // frame, so the newest point's dot and a 0 percent dot stay inside it.
    const int left = std::max(box.left + 1, std::min(point.x, box.right - 1 - size));
    const int top = std::max(box.top + 1, std::min(point.y, box.bottom - 1 - size));
    return PixelBox{left, top, left + size, top + size};
}

std::vector<std::vector<PixelPoint>> plotRuns(PixelBox box, std::span<const GraphPoint> history)
{
    std::vector<std::vector<PixelPoint>> runs;
    std::vector<PixelPoint> run;
    for (size_t index = 0; index < history.size(); ++index) {
        if (history[index].valid) {
            run.push_back(plotPixel(box, index, history.size(), history[index].percent));
        } else if (!run.empty()) {
            runs.push_back(std::move(run));
            run.clear();
        }
    }
    if (!run.empty()) {
        runs.push_back(std::move(run));
    }
    return runs;
}
