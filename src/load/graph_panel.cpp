#include "load/graph_panel.h"

#include "common/dpi_scale.h"
#include "common/paint_buffer.h"
#include "common/unique_resource.h"
#include "load/load_sampler.h"
#include "report/value_text.h"

namespace {

constexpr COLORREF kProcessorColour = RGB(0, 96, 176);
constexpr COLORREF kMemoryColour = RGB(0, 128, 64);

PixelBox toBox(const RECT& rect)
{
    return PixelBox{rect.left, rect.top, rect.right, rect.bottom};
}

RECT toRect(const PixelBox& box)
{
    return RECT{box.left, box.top, box.right, box.bottom};
}

void drawPlot(HDC dc, const RECT& box, const LoadGraph& graph, COLORREF lineColour, int dpi)
{
    const PixelBox plotBox = toBox(box);
    if (!plotBoxUsable(plotBox, dpi)) {
        return;
    }
    FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));

    {
        const UniqueHPen gridPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)));
        if (gridPen) {
            const SelectGuard penGuard(dc, gridPen.get());
            for (int k = 1; k <= 3; ++k) {
                const int y = gridLineY(plotBox, k);
                MoveToEx(dc, plotBox.left + 1, y, nullptr);
                LineTo(dc, plotBox.right - 1, y);
            }
        }
    }

    if (graph.history.empty()) {
        return;
    }
    const int penWidth = plotPenWidth(dpi);
    // Destroyed in reverse: the brush, then the old pen back, then the pen.
    const UniqueHPen dataPen(CreatePen(PS_SOLID, penWidth, lineColour));
    if (!dataPen) {
        return;
    }
    const SelectGuard penGuard(dc, dataPen.get());
    const UniqueHBrush dotBrush(CreateSolidBrush(lineColour));
    const int dotSize = scaledAt(2, dpi);

    std::vector<POINT> line;
    // From 144 DPI the pen is wider than a pixel and would paint over the
    // frame at 0 and 100 percent and at the oldest second.
    for (const std::vector<PixelPoint>& run : plotRuns(lineBox(plotBox, penWidth), graph.history)) {
        if (run.size() >= 2) {
            line.clear();
            for (const PixelPoint& point : run) {
                line.push_back(POINT{point.x, point.y});
            }
            Polyline(dc, line.data(), static_cast<int>(line.size()));
            // Polyline leaves out its last pixel, which is the newest second.
            SetPixelV(dc, line.back().x, line.back().y, lineColour);
        } else if (dotBrush) {
            const RECT dot = toRect(dotBox(plotBox, run.front(), dotSize));
            FillRect(dc, &dot, dotBrush.get());
        }
    }
}

void drawGraph(HDC dc, const RECT& area, const LoadGraph& graph, COLORREF lineColour, int dpi)
{
    const GraphLayout layout = graphLayout(toBox(area), dpi, graph.hasValue);

    RECT labelBox = toRect(layout.labelBox);
    DrawTextW(dc, graph.label.c_str(), static_cast<int>(graph.label.size()), &labelBox,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (!layout.hasPlotArea) {
        return;
    }
    if (!graph.hasValue) {
        // The reason takes the whole plot area, wrapped.
        RECT plotArea = toRect(layout.plotArea);
        DrawTextW(dc, graph.valueText.c_str(), static_cast<int>(graph.valueText.size()), &plotArea,
                  DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
        return;
    }
    RECT valueBox = toRect(layout.valueBox);
    DrawTextW(dc, graph.valueText.c_str(), static_cast<int>(graph.valueText.size()), &valueBox,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (layout.hasPlotBox) {
        drawPlot(dc, toRect(layout.plotBox), graph, lineColour, dpi);
    }
}

// The panel's WM_PAINT: one off-screen bitmap per paint.
void paintPanel(HWND panel, const GraphPicture& picture)
{
    const PaintDc paint(panel);
    if (paint.get() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(panel, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) {
        return;
    }

    const PaintBuffer buffer(paint.get(), width, height);
    paintPanelInto(buffer.dc(), width, height, picture);
    buffer.present();
}

}  // namespace

LoadGraphs::LoadGraphs(PanelNameCalls calls) : calls_(calls)
{
    picture_.processorGraph.label = L"Processor";
    picture_.processorGraph.colour = kProcessorColour;
    picture_.memoryGraph.label = L"Memory";
    picture_.memoryGraph.colour = kMemoryColour;
}

bool LoadGraphs::registerClass(HINSTANCE instance)
{
    WNDCLASSEXW panelClass{};
    panelClass.cbSize = sizeof(panelClass);
    panelClass.style = CS_HREDRAW | CS_VREDRAW;
    panelClass.lpfnWndProc = windowProc;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: the panel paints all of itself.
    panelClass.lpszClassName = kPanelClass;
    return RegisterClassExW(&panelClass) != 0;
}

void LoadGraphs::unregisterClass(HINSTANCE instance)
{
    UnregisterClassW(kPanelClass, instance);
}

HWND LoadGraphs::create(HWND parent, HINSTANCE instance)
{
    return CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, instance, this);
}

void LoadGraphs::update(const LiveState& live)
{
    LoadGraph& processor = picture_.processorGraph;
    appendGraphPoint(processor.history, loadGraphPoint(live.liveLoad));
    processor.valueText = loadText(live.liveLoad);
    processor.hasValue = live.liveLoad.measured;

    LoadGraph& memory = picture_.memoryGraph;
    appendGraphPoint(memory.history, memoryGraphPoint(live.liveMemory));
    memory.valueText = memoryGraphText(live.liveMemory);
    memory.hasValue = live.liveMemory.read;

    name_ = graphPanelName(live.liveLoad, live.liveMemory);
    show();
}

void LoadGraphs::setHighContrast(bool on)
{
    if (picture_.highContrast == on) {
        return;
    }
    picture_.highContrast = on;
    if (panel_ != nullptr) {
        InvalidateRect(panel_, nullptr, FALSE);
    }
}

void LoadGraphs::show()
{
    if (panel_ == nullptr) {
        return;
    }
    // No erase: the paint covers every pixel, so the panel does not flicker.
    InvalidateRect(panel_, nullptr, FALSE);

    // The panel paints itself and never draws its window text, so the text
    // is free to carry the name. Said again only when it changed: a screen
    // reader would otherwise repeat the same figures every second.
    const int length = GetWindowTextLengthW(panel_);
    std::wstring current(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    current.resize(static_cast<size_t>(GetWindowTextW(panel_, current.data(), static_cast<int>(current.size()))));
    if (current == name_) {
        return;
    }
    if (calls_.setWindowText(panel_, name_.c_str())) {
        calls_.notifyWinEvent(EVENT_OBJECT_NAMECHANGE, panel_, OBJID_WINDOW, CHILDID_SELF);
    }
}

LRESULT CALLBACK LoadGraphs::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<LoadGraphs*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self != nullptr) {
            self->panel_ = window;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<LoadGraphs*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->panel_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT LoadGraphs::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paintPanel(panel_, picture_);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_SETFONT:
        picture_.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0) {
            InvalidateRect(panel_, nullptr, FALSE);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(picture_.font);
    default:
        return DefWindowProcW(panel_, message, wParam, lParam);
    }
}

void paintPanelInto(HDC dc, int width, int height, const GraphPicture& picture)
{
    if (width <= 0 || height <= 0) {
        return;
    }
    const HFONT font = picture.font;
    // Without a font of our own the DC keeps its current one.
    const SelectGuard fontGuard(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetCurrentObject(dc, OBJ_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));

    const RECT whole{0, 0, width, height};
    FillRect(dc, &whole, GetSysColorBrush(COLOR_WINDOW));

    // A high-contrast scheme chooses its colours for legibility; the lines'
    // own blue and green can be too faint on its background.
    const auto lineColour = [&picture](const LoadGraph& graph) {
        return picture.highContrast ? GetSysColor(COLOR_WINDOWTEXT) : graph.colour;
    };
    drawGraph(dc, RECT{0, 0, width, height / 2}, picture.processorGraph, lineColour(picture.processorGraph),
              picture.dpi);
    drawGraph(dc, RECT{0, height / 2, width, height}, picture.memoryGraph, lineColour(picture.memoryGraph),
              picture.dpi);

    // The line between the panel and the list, one pixel at every DPI.
    const RECT bottomRow{0, height - 1, width, height};
    FillRect(dc, &bottomRow, GetSysColorBrush(COLOR_BTNSHADOW));
}
