#include "load/graph_panel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/unique_resource.h"
#include "load/load_sampler.h"

namespace {

constexpr COLORREF kProcessorColour = 0xB06000;  // RGB(0, 96, 176)
constexpr COLORREF kMemoryColour = 0x408000;     // RGB(0, 128, 64)

// A 32-bit top-down DIB section in a memory DC, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (dc_) {
            bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        }
        bits_ = static_cast<const uint32_t*>(bits);
        if (bitmap_) {
            previous_ = SelectObject(dc_.get(), bitmap_.get());
        }
    }
    ~Canvas()
    {
        if (previous_ != nullptr) {
            SelectObject(dc_.get(), previous_);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    [[nodiscard]] bool ready() const { return bits_ != nullptr && previous_ != nullptr; }
    [[nodiscard]] HDC dc() const { return dc_.get(); }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }

    [[nodiscard]] COLORREF pixel(int x, int y) const
    {
        GdiFlush();
        const uint32_t value = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Pixels of `colour` in [left, right) x [top, bottom).
    [[nodiscard]] int count(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int found = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                found += pixel(x, y) == colour ? 1 : 0;
            }
        }
        return found;
    }
    [[nodiscard]] int count(COLORREF colour) const { return count(colour, 0, 0, width_, height_); }

private:
    int width_;
    int height_;
    UniqueHdc dc_;
    UniqueHBitmap bitmap_;
    const uint32_t* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The panel's procedure as a window of a test class, counting what it gets.
int paintCount = 0;
int eraseCount = 0;

LRESULT CALLBACK countingPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++paintCount;
    } else if (message == WM_ERASEBKGND) {
        ++eraseCount;
    }
    return panelWindowProc(window, message, wParam, lParam);
}

// Every test starts from the program's initial live and graph state at
// 96 DPI with a font of its own.
class GraphPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
        ASSERT_TRUE(font_) << "CreateFontW failed";
        graphs_.font = font_.get();
        graphs_.dpi = 96;
    }

    void TearDown() override
    {
        if (panel_ != nullptr) {
            DestroyWindow(panel_);
        }
        if (registered_) {
            UnregisterClassW(kPanelClass, GetModuleHandleW(nullptr));
        }
    }

    static void setValue(LoadGraph& graph, const wchar_t* text)
    {
        graph.valueText = text;
        graph.hasValue = true;
    }

    // The panel as a real window of a test class, 400 by 120, shown and
    // painted; TearDown destroys it.
    [[nodiscard]] HWND showPanel()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = countingPanelProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kPanelClass;
        registered_ = RegisterClassExW(&windowClass) != 0;
        if (registered_) {
            panel_ = CreateWindowExW(WS_EX_TOOLWINDOW, kPanelClass, L"", WS_POPUP, 0, 0, 400, 120, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), &graphs_);
        }
        if (panel_ != nullptr) {
            ShowWindow(panel_, SW_SHOWNOACTIVATE);
            UpdateWindow(panel_);
        }
        return panel_;
    }

    static constexpr const wchar_t* kPanelClass = L"KORVANE_PANEL_TEST";
    UniqueHFont font_;
    GraphState graphs_;
    LiveState live_;
    bool registered_ = false;
    HWND panel_ = nullptr;
};

TEST_F(GraphPanel, StartUpLabelsAndColours)
{
    const GraphState& graphs = graphs_;
    EXPECT_EQ(graphs.processorGraph.label, L"Processor");
    EXPECT_EQ(graphs.processorGraph.colour, kProcessorColour);
    EXPECT_EQ(graphs.memoryGraph.label, L"Memory");
    EXPECT_EQ(graphs.memoryGraph.colour, kMemoryColour);
    EXPECT_TRUE(graphs.processorGraph.history.empty());
    EXPECT_FALSE(graphs.processorGraph.hasValue);
    EXPECT_TRUE(graphs.memoryGraph.valueText.empty());
}

TEST_F(GraphPanel, UpdateAppendsPointsAndTexts)
{
    GraphState& graphs = graphs_;
    LiveState& live = live_;
    live.liveMemory.read = true;
    live.liveMemory.loadPercent = 37;
    live.liveMemory.inUse = 3ull << 30;
    live.liveMemory.totalPhysical = 8ull << 30;

    updateGraphs(graphs_, live_);  // as at start-up: memory read, no load derived yet
    ASSERT_EQ(graphs.processorGraph.history.size(), 1u);
    EXPECT_FALSE(graphs.processorGraph.history[0].valid);
    EXPECT_EQ(graphs.processorGraph.history[0].percent, 0.0);
    EXPECT_EQ(graphs.processorGraph.valueText, L"(not measured)");
    EXPECT_FALSE(graphs.processorGraph.hasValue);
    ASSERT_EQ(graphs.memoryGraph.history.size(), 1u);
    EXPECT_TRUE(graphs.memoryGraph.history[0].valid);
    EXPECT_EQ(graphs.memoryGraph.history[0].percent, 37.0);
    EXPECT_EQ(graphs.memoryGraph.valueText, L"37%   3.0 GB of 8.0 GB");
    EXPECT_TRUE(graphs.memoryGraph.hasValue);

    live.liveLoad.measured = true;
    live.liveLoad.percent = 12.34;
    live.liveMemory = MemorySample{};
    live.liveMemory.loadPercent = 80;  // a failed sample's figures are never plotted
    live.liveMemory.reason = L"Access is denied. (error 5)";
    updateGraphs(graphs_, live_);
    ASSERT_EQ(graphs.processorGraph.history.size(), 2u);
    EXPECT_TRUE(graphs.processorGraph.history[1].valid);
    EXPECT_EQ(graphs.processorGraph.history[1].percent, 12.34) << "kept unrounded";
    EXPECT_EQ(graphs.processorGraph.valueText, L"12.3%");
    EXPECT_TRUE(graphs.processorGraph.hasValue);
    ASSERT_EQ(graphs.memoryGraph.history.size(), 2u);
    EXPECT_FALSE(graphs.memoryGraph.history[1].valid);
    EXPECT_EQ(graphs.memoryGraph.history[1].percent, 0.0);
    EXPECT_EQ(graphs.memoryGraph.valueText, L"(could not read: Access is denied. (error 5))");
    EXPECT_FALSE(graphs.memoryGraph.hasValue);

    live.liveLoad = LoadSample{};
    live.liveLoad.reason = L"no processor time passed between the two readings";
    live.liveMemory.reason.clear();
    updateGraphs(graphs_, live_);
    EXPECT_EQ(graphs.processorGraph.valueText, L"(not measured: no processor time passed between the two readings)");
    EXPECT_FALSE(graphs.processorGraph.hasValue);
    EXPECT_EQ(graphs.memoryGraph.valueText, L"(could not read: reason unknown)");

    for (int tick = 0; tick < 200; ++tick) {
        updateGraphs(graphs_, live_);
    }
    EXPECT_EQ(graphs.processorGraph.history.size(), 120u);
    EXPECT_EQ(graphs.memoryGraph.history.size(), 120u);
}

TEST_F(GraphPanel, ASecondSampleAddsOneMeasuredPoint)
{
    takeFirstSamples(live_, sampleProcessorTimes);
    updateGraphs(graphs_, live_);
    const ULONGLONG end = GetTickCount64() + 100;
    while (GetTickCount64() < end) {
    }
    takeLiveSamples(live_, sampleProcessorTimes);
    updateGraphs(graphs_, live_);
    const GraphState& graphs = graphs_;
    ASSERT_EQ(graphs.processorGraph.history.size(), 2u);
    EXPECT_FALSE(graphs.processorGraph.history[0].valid) << "start-up derives no load";
    EXPECT_EQ(graphs.processorGraph.history[1].valid, live_.liveLoad.measured);
    EXPECT_TRUE(live_.liveLoad.measured) << "100 ms passed between the readings";
    EXPECT_EQ(graphs.processorGraph.hasValue, live_.liveLoad.measured);
    EXPECT_EQ(graphs.memoryGraph.history.size(), 2u);
    EXPECT_TRUE(graphs.memoryGraph.hasValue);
}

TEST_F(GraphPanel, PaintsSeparatorFramePointsGapsAndDots)
{
    GraphState& graphs = graphs_;
    // Processor: two minutes at 50 percent, one line across the whole plot box.
    graphs.processorGraph.history.assign(120, GraphPoint{true, 50.0});
    setValue(graphs.processorGraph, L"50.0%");
    // Memory: 25 percent with second 60 missing and the newest second alone.
    graphs.memoryGraph.history.assign(120, GraphPoint{true, 25.0});
    graphs.memoryGraph.history[60] = GraphPoint{false, 0.0};
    graphs.memoryGraph.history[118] = GraphPoint{false, 0.0};
    setValue(graphs.memoryGraph, L"25%   2.0 GB of 8.0 GB");

    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    const HGDIOBJ fontBefore = GetCurrentObject(canvas.dc(), OBJ_FONT);
    paintPanelInto(canvas.dc(), 940, 120, graphs_);
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), fontBefore) << "the DC's font is selected back";

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    for (int x = 0; x < 940; ++x) {
        ASSERT_EQ(canvas.pixel(x, 119), shadow) << "separator row at x " << x;
    }
    EXPECT_EQ(canvas.pixel(2, 118), window) << "the separator is one pixel high";
    EXPECT_EQ(canvas.pixel(2, 2), window) << "the background is COLOR_WINDOW";

    // Processor plot box at 96 DPI: (82, 5) to (734, 55).
    for (int x = 82; x < 734; ++x) {
        ASSERT_EQ(canvas.pixel(x, 5), shadow) << "top frame at x " << x;
        ASSERT_EQ(canvas.pixel(x, 54), shadow) << "bottom frame at x " << x;
    }
    for (int y = 5; y < 55; ++y) {
        ASSERT_EQ(canvas.pixel(82, y), shadow) << "left frame at y " << y;
        ASSERT_EQ(canvas.pixel(733, y), shadow) << "right frame at y " << y;
    }
    EXPECT_EQ(canvas.pixel(81, 20), window) << "nothing left of the frame";
    EXPECT_EQ(canvas.pixel(734, 20), window) << "nothing right of the frame";
    // 50 percent of 47 inner rows above row 53 is row 29; the line runs
    // between the frame lines, its newest point (732) included.
    for (int x = 83; x < 733; ++x) {
        ASSERT_EQ(canvas.pixel(x, 29), kProcessorColour) << "processor line at x " << x;
    }
    EXPECT_EQ(canvas.count(kProcessorColour, 0, 0, 940, 28), 0) << "nothing above the line";
    EXPECT_EQ(canvas.count(kProcessorColour, 0, 30, 940, 120), 0) << "a one-pixel pen at 96 DPI";
    // Grid lines at 25, 50 and 75 percent: rows 42, 30 and 18, inside the frame.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (const int row : {42, 30, 18}) {
        EXPECT_EQ(canvas.pixel(83, row), face) << "grid row " << row;
        EXPECT_EQ(canvas.pixel(500, row), face) << "grid row " << row;
        EXPECT_EQ(canvas.pixel(732, row), face) << "grid row " << row;
    }

    // Memory plot box (82, 65) to (734, 115); 25 percent is row 101.
    EXPECT_EQ(canvas.pixel(82, 65), shadow);
    EXPECT_EQ(canvas.pixel(733, 114), shadow);
    EXPECT_EQ(canvas.pixel(200, 101), kMemoryColour);
    EXPECT_EQ(canvas.pixel(405, 101), kMemoryColour) << "the first run ends at column 405";
    for (int x = 406; x < 416; ++x) {
        EXPECT_NE(canvas.pixel(x, 101), kMemoryColour) << "the gap of second 60 at x " << x;
    }
    EXPECT_EQ(canvas.pixel(416, 101), kMemoryColour) << "the second run starts at column 416";
    EXPECT_EQ(canvas.pixel(721, 101), kMemoryColour);
    for (int x = 722; x < 731; ++x) {
        EXPECT_NE(canvas.pixel(x, 101), kMemoryColour) << "the gap of second 118 at x " << x;
    }
    // The newest point (732, 101) alone: a two-pixel square kept inside the frame.
    EXPECT_EQ(canvas.count(kMemoryColour, 731, 101, 733, 103), 4);
    EXPECT_EQ(canvas.pixel(733, 101), shadow) << "the right frame line is not covered";
    EXPECT_NE(canvas.pixel(731, 103), kMemoryColour);
    EXPECT_EQ(canvas.count(kProcessorColour, 0, 60, 940, 120), 0) << "each graph in its own colour";

    // The value texts sit right-aligned in the value column (742 to 932).
    EXPECT_GT(940 * 60 - canvas.count(window, 742, 5, 932, 55), 0) << "processor value drawn";
    EXPECT_EQ(canvas.count(window, 932, 0, 940, 119), 8 * 119) << "the right margin stays empty";
}

// The second that just arrived is visible at once: after one tick a dot over
// the newest column, after two a line whose last pixel is drawn too.
TEST_F(GraphPanel, NewestPointIsDrawnInsideTheFrame)
{
    GraphState& graphs = graphs_;
    setValue(graphs.processorGraph, L"50.0%");
    // A rise to 100 percent: a pixel the line only passes by would not be (732, 6).
    const std::vector<std::vector<GraphPoint>> histories = {{{true, 100.0}}, {{true, 50.0}, {true, 100.0}}};
    for (const std::vector<GraphPoint>& history : histories) {
        const size_t ticks = history.size();
        graphs.processorGraph.history = history;
        Canvas canvas(940, 120);
        ASSERT_TRUE(canvas.ready());
        paintPanelInto(canvas.dc(), 940, 120, graphs_);
        // Processor plot box (82, 5) to (734, 55): the newest point is (732, 6).
        EXPECT_EQ(canvas.pixel(732, 6), kProcessorColour) << ticks << " tick(s)";
        EXPECT_EQ(canvas.count(kProcessorColour, 733, 0, 940, 60), 0) << ticks << " tick(s): nothing on or past the frame";
    }
}

TEST_F(GraphPanel, NarrowPanelsDrawNoPlot)
{
    GraphState& graphs = graphs_;
    graphs.processorGraph.history.assign(120, GraphPoint{true, 50.0});
    setValue(graphs.processorGraph, L"50.0%");
    graphs.memoryGraph.history.assign(120, GraphPoint{true, 70.0});
    setValue(graphs.memoryGraph, L"70%");
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);

    // Room for the value but not for a plot box.
    Canvas medium(250, 120);
    ASSERT_TRUE(medium.ready());
    paintPanelInto(medium.dc(), 250, 120, graphs_);
    EXPECT_EQ(medium.count(kProcessorColour), 0);
    EXPECT_EQ(medium.count(kMemoryColour), 0);
    EXPECT_EQ(medium.count(shadow, 0, 0, 250, 119), 0) << "no frame";
    EXPECT_LT(medium.count(window, 82, 5, 242, 55), 160 * 50) << "the value is drawn";
    EXPECT_EQ(medium.count(shadow, 0, 119, 250, 120), 250) << "separator";

    // No plot area at all: only the labels.
    Canvas narrow(88, 120);
    ASSERT_TRUE(narrow.ready());
    paintPanelInto(narrow.dc(), 88, 120, graphs_);
    EXPECT_EQ(narrow.count(kProcessorColour), 0);
    EXPECT_EQ(narrow.count(kMemoryColour), 0);
    EXPECT_LT(narrow.count(window, 8, 0, 74, 60), 66 * 60) << "processor label";
    EXPECT_LT(narrow.count(window, 8, 60, 74, 119), 66 * 59) << "memory label";
    EXPECT_EQ(narrow.count(shadow, 0, 119, 88, 120), 88);
}

TEST_F(GraphPanel, WithoutValueTheReasonTakesThePlotArea)
{
    GraphState& graphs = graphs_;
    graphs.processorGraph.history.assign(10, GraphPoint{false, 0.0});
    graphs.processorGraph.valueText = L"(not measured)";
    graphs.processorGraph.hasValue = false;

    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 940, 120, graphs_);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_LT(canvas.count(window, 82, 5, 200, 25), 118 * 20) << "the reason starts at the plot area's top left";
    EXPECT_EQ(canvas.count(window, 400, 0, 940, 119), 540 * 119) << "no frame, no value column, no memory text";
    EXPECT_EQ(canvas.count(shadow, 0, 0, 940, 119), 0);
    EXPECT_LT(canvas.count(window, 8, 60, 74, 119), 66 * 59) << "the memory label";
}

TEST_F(GraphPanel, EmptyHistoryDrawsFrameAndGridOnly)
{
    setValue(graphs_.processorGraph, L"0.0%");
    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 940, 120, graphs_);
    EXPECT_EQ(canvas.pixel(82, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.pixel(400, 30), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(canvas.count(kProcessorColour), 0);
}

TEST_F(GraphPanel, ScalesWithDpi)
{
    graphs_.dpi = 144;
    GraphState& graphs = graphs_;
    graphs.memoryGraph.history = {GraphPoint{true, 0.0}};
    setValue(graphs.memoryGraph, L"0%");

    Canvas canvas(1410, 180);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 1410, 180, graphs_);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(canvas.count(shadow, 0, 179, 1410, 180), 1410) << "the separator";
    EXPECT_NE(canvas.pixel(5, 178), shadow) << "still one pixel high";
    // Memory half 90..180: plot box (123, 98) to (1101, 172); the two-pixel pen puts the newest point at
    // 0 percent at (1098, 169), and its dot stays inside the frame.
    EXPECT_EQ(canvas.pixel(123, 98), shadow);
    EXPECT_EQ(canvas.pixel(600, 171), shadow) << "bottom frame";
    EXPECT_EQ(canvas.pixel(1100, 120), shadow) << "right frame";
    EXPECT_EQ(canvas.count(kMemoryColour), 9) << "one dot of 3 by 3 pixels";
    EXPECT_EQ(canvas.count(kMemoryColour, 1097, 168, 1100, 171), 9) << "inside the frame, over the newest point";
}

// A line along 100 and 0 percent, from the oldest second to the newest, keeps
// every frame pixel at every DPI, also where the pen is wider than a pixel.
TEST_F(GraphPanel, WidePenLinesStayInsideTheFrame)
{
    GraphState& graphs = graphs_;
    std::vector<GraphPoint> highThenLow(120, GraphPoint{true, 100.0});
    std::fill(highThenLow.begin() + 60, highThenLow.end(), GraphPoint{true, 0.0});
    std::vector<GraphPoint> lowThenHigh(highThenLow.rbegin(), highThenLow.rend());
    graphs.processorGraph.history = highThenLow;
    setValue(graphs.processorGraph, L"0.0%");
    graphs.memoryGraph.history = lowThenHigh;
    setValue(graphs.memoryGraph, L"100%");
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);

    for (const int dpi : {144, 192, 288}) {
        graphs.dpi = dpi;
        const int pen = MulDiv(1, dpi, 96);
        const int width = MulDiv(940, dpi, 96);
        const int height = MulDiv(120, dpi, 96);
        Canvas canvas(width, height);
        ASSERT_TRUE(canvas.ready());
        paintPanelInto(canvas.dc(), width, height, graphs_);
        const std::pair<PixelBox, COLORREF> plots[] = {
            {graphLayout(PixelBox{0, 0, width, height / 2}, dpi, true).plotBox, kProcessorColour},
            {graphLayout(PixelBox{0, height / 2, width, height}, dpi, true).plotBox, kMemoryColour},
        };
        for (const auto& [box, colour] : plots) {
            const int w = box.right - box.left;
            const int h = box.bottom - box.top;
            EXPECT_EQ(canvas.count(shadow, box.left, box.top, box.right, box.top + 1), w) << dpi << " DPI: top";
            EXPECT_EQ(canvas.count(shadow, box.left, box.bottom - 1, box.right, box.bottom), w) << dpi << " DPI: bottom";
            EXPECT_EQ(canvas.count(shadow, box.left, box.top, box.left + 1, box.bottom), h) << dpi << " DPI: left";
            EXPECT_EQ(canvas.count(shadow, box.right - 1, box.top, box.right, box.bottom), h) << dpi << " DPI: right";
            // A pen a few pixels wide could only spill onto the frame or just past it.
            const int spilled = canvas.count(colour, box.left - 4, box.top - 4, box.right + 4, box.top + 1) +
                                canvas.count(colour, box.left - 4, box.bottom - 1, box.right + 4, box.bottom + 4) +
                                canvas.count(colour, box.left - 4, box.top + 1, box.left + 1, box.bottom - 1) +
                                canvas.count(colour, box.right - 1, box.top + 1, box.right + 4, box.bottom - 1);
            EXPECT_EQ(spilled, 0) << dpi << " DPI: nothing of the line on or past the frame";
            EXPECT_GT(canvas.count(colour, box.left + 1, box.top + 1, box.right - 1, box.top + 1 + pen), 0)
                << dpi << " DPI: the 100 percent stretch is drawn";
        }
    }
}

TEST_F(GraphPanel, WindowPaintsWithoutErasing)
{
    const HWND panel = showPanel();
    ASSERT_NE(panel, nullptr) << GetLastError();
    EXPECT_GE(paintCount, 1);

    {
        const WindowDc dc(panel);
        ASSERT_NE(dc.get(), nullptr);
        EXPECT_EQ(SendMessageW(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 1);
        // What WM_PAINT drew, through the off-screen bitmap, is on the window.
        EXPECT_EQ(GetPixel(dc.get(), 200, 119), GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(GetPixel(dc.get(), 200, 100), GetSysColor(COLOR_WINDOW));
    }

    // The font its parent hands it is the one it draws with.
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), font_.get());
    const UniqueHFont other(CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    ASSERT_TRUE(other);
    paintCount = 0;
    eraseCount = 0;
    SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(other.get()), TRUE);
    EXPECT_EQ(graphs_.font, other.get());
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(panel, &update, FALSE)) << "a new font repaints the panel";
    UpdateWindow(panel);
    EXPECT_EQ(paintCount, 1);
    EXPECT_EQ(eraseCount, 0) << "invalidated without erasing";
    graphs_.font = font_.get();

    EXPECT_EQ(SendMessageW(panel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")), TRUE) << "others go to DefWindowProcW";
}

// What the panel told screen readers.
struct NameEvent {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<NameEvent> nameEvents;
int nameSets = 0;

BOOL WINAPI countedSetWindowText(HWND window, LPCWSTR text)
{
    ++nameSets;
    return SetWindowTextW(window, text);
}

VOID WINAPI recordedNotifyWinEvent(DWORD event, HWND window, LONG object, LONG child)
{
    nameEvents.push_back({event, window, object, child});
}

// The window's client area, pixel by pixel.
std::vector<COLORREF> windowPixels(HWND window, int width, int height)
{
    Canvas canvas(width, height);
    const WindowDc dc(window);
    std::vector<COLORREF> pixels;
    if (!canvas.ready() || dc.get() == nullptr || !BitBlt(canvas.dc(), 0, 0, width, height, dc.get(), 0, 0, SRCCOPY)) {
        return pixels;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(canvas.pixel(x, y));
        }
    }
    return pixels;
}

std::wstring windowText(HWND window)
{
    wchar_t text[128]{};
    GetWindowTextW(window, text, 128);
    return text;
}

// Screen readers hear the figures sighted users see: the panel's window text
// carries them, set and announced only when the words change, and the panel,
// which paints itself, looks exactly the same whatever its text.
TEST_F(GraphPanel, NameCarriesTheFiguresAndChangesNoPixel)
{
    const HWND panel = showPanel();
    ASSERT_NE(panel, nullptr) << GetLastError();
    const PanelNameCalls calls{countedSetWindowText, recordedNotifyWinEvent};
    nameEvents.clear();
    nameSets = 0;

    live_.liveMemory.read = true;
    live_.liveMemory.loadPercent = 41;
    live_.liveLoad.measured = true;
    live_.liveLoad.percent = 23.4;
    updateGraphs(graphs_, live_);
    showGraphs(panel, graphs_, calls);
    EXPECT_EQ(windowText(panel), L"Processor load 23%, memory in use 41%");
    ASSERT_EQ(nameEvents.size(), 1u);
    EXPECT_EQ(nameEvents[0].event, static_cast<DWORD>(EVENT_OBJECT_NAMECHANGE));
    EXPECT_EQ(nameEvents[0].window, panel);
    EXPECT_EQ(nameEvents[0].object, OBJID_WINDOW);
    EXPECT_EQ(nameEvents[0].child, CHILDID_SELF);

    live_.liveLoad.percent = 22.6;  // the same words
    updateGraphs(graphs_, live_);
    showGraphs(panel, graphs_, calls);
    EXPECT_EQ(nameSets, 1) << "an unchanged name is not set again";
    EXPECT_EQ(nameEvents.size(), 1u) << "nor announced again";

    live_.liveLoad = LoadSample{};
    updateGraphs(graphs_, live_);
    showGraphs(panel, graphs_, calls);
    EXPECT_EQ(windowText(panel), L"Processor load not measured, memory in use 41%");
    EXPECT_EQ(nameEvents.size(), 2u);

    // Only the text changes between the two pictures.
    UpdateWindow(panel);
    const std::vector<COLORREF> before = windowPixels(panel, 400, 120);
    ASSERT_EQ(before.size(), 400u * 120u);
    EXPECT_EQ(before[119 * 400 + 200], GetSysColor(COLOR_BTNSHADOW)) << "the panel's own picture";
    graphs_.panelName = L"Processor load 100%, memory in use 100%";
    showGraphs(panel, graphs_, calls);
    EXPECT_EQ(windowText(panel), graphs_.panelName);
    UpdateWindow(panel);
    EXPECT_TRUE(windowPixels(panel, 400, 120) == before) << "the window text is not drawn";
}

TEST_F(GraphPanel, CostOfOneUpdateAndPaint)
{
    GraphState& graphs = graphs_;
    LiveState& live = live_;
    live.liveMemory.read = true;
    live.liveMemory.totalPhysical = 16ull << 30;
    live.liveMemory.inUse = 9ull << 30;
    live.liveLoad.measured = true;
    for (int second = 0; second < 120; ++second) {
        live.liveLoad.percent = (second * 37) % 101;
        live.liveMemory.loadPercent = static_cast<uint32_t>(40 + second % 20);
        updateGraphs(graphs_, live_);
    }
    ASSERT_EQ(graphs.processorGraph.history.size(), 120u);

    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER stop{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    constexpr int kRounds = 1000;
    for (int round = 0; round < kRounds; ++round) {
        live.liveLoad.percent = (round * 13) % 101;
        updateGraphs(graphs_, live_);
        paintPanelInto(canvas.dc(), 940, 120, graphs_);
    }
    GdiFlush();
    QueryPerformanceCounter(&stop);
    const double microseconds =
        static_cast<double>(stop.QuadPart - start.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
    std::printf("[   INFO   ] %d updates + paints of a 940x120 panel: %.1f ms, %.1f us each\n", kRounds,
                microseconds / 1000.0, microseconds / kRounds);
    EXPECT_EQ(canvas.pixel(500, 119), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(canvas.count(kProcessorColour), 0);
}

}  // namespace
