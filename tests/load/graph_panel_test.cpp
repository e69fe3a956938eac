#include "load/graph_panel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/unique_resource.h"
#include "load/graph_mapping.h"
#include "load/load_sampler.h"
#include "support/canvas.h"

namespace {

constexpr COLORREF kProcessorColour = 0xB06000;  // RGB(0, 96, 176)
constexpr COLORREF kMemoryColour = 0x408000;     // RGB(0, 128, 64)

// The panel's procedure as a window of a test class, counting what it gets.
int paintCount = 0;
int eraseCount = 0;

LRESULT CALLBACK countingPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    paintCount += message == WM_PAINT ? 1 : 0;
    eraseCount += message == WM_ERASEBKGND ? 1 : 0;
    return LoadGraphs::windowProc(window, message, wParam, lParam);
}

// What the panel told screen readers.
int nameSets = 0;
std::vector<DWORD> nameEvents;

BOOL WINAPI countedSetWindowText(HWND window, LPCWSTR text)
{
    ++nameSets;
    return SetWindowTextW(window, text);
}

VOID WINAPI recordedNotifyWinEvent(DWORD event, HWND window, LONG object, LONG child)
{
    const bool wholePanel = window != nullptr && object == OBJID_WINDOW && child == CHILDID_SELF;
    nameEvents.push_back(wholePanel ? event : 0);
}

void setValue(LoadGraph& graph, const wchar_t* text)
{
    graph.valueText = text;
    graph.hasValue = true;
}

// A picture of the two graphs, drawn with a font of the test's own into a
// canvas (940 by 120 unless given), and the panel as a real window.
class GraphPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
        ASSERT_TRUE(font_) << "CreateFontW failed";
        picture_.font = font_.get();
        picture_.processorGraph.label = L"Processor";
        picture_.processorGraph.colour = kProcessorColour;
        picture_.memoryGraph.label = L"Memory";
        picture_.memoryGraph.colour = kMemoryColour;
    }

    void TearDown() override
    {
        if (panel_ != nullptr) {
            DestroyWindow(panel_);
        }
        UnregisterClassW(kTestPanelClass, GetModuleHandleW(nullptr));
    }

    // The panel as a real window of a test class, 400 by 120, shown and
    // painted, drawing `graphs`; TearDown destroys it.
    [[nodiscard]] HWND showPanel(LoadGraphs& graphs)
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = countingPanelProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTestPanelClass;
        if (RegisterClassExW(&windowClass) != 0) {
            panel_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTestPanelClass, L"", WS_POPUP, 0, 0, 400, 120, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), &graphs);
        }
        if (panel_ != nullptr) {
            SendMessageW(panel_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
            ShowWindow(panel_, SW_SHOWNOACTIVATE);
            UpdateWindow(panel_);
        }
        return panel_;
    }

    static constexpr const wchar_t* kTestPanelClass = L"KORVANE_PANEL_TEST";
    UniqueHFont font_;
    GraphPicture picture_;
    HWND panel_ = nullptr;
};

// A graph's newest point and words after an update; a point with a value
// is a graph with a value.
void expectNewest(const LoadGraph& graph, size_t points, GraphPoint newest, const std::wstring& text)
{
    ASSERT_EQ(graph.history.size(), points);
    EXPECT_EQ(graph.history.back().valid, newest.valid);
    EXPECT_EQ(graph.history.back().percent, newest.percent) << "kept unrounded";
    EXPECT_EQ(graph.valueText, text);
    EXPECT_EQ(graph.hasValue, newest.valid);
}

TEST_F(GraphPanel, UpdateAppendsPointsAndTexts)
{
    LoadGraphs graphs;
    LiveState live;
    live.liveMemory.read = true;
    live.liveMemory.loadPercent = 37;
    live.liveMemory.inUse = 3ull << 30;
    live.liveMemory.totalPhysical = 8ull << 30;
    graphs.update(live);  // as at start-up: memory read, no load derived yet
    expectNewest(graphs.processorGraph(), 1, {false, 0.0}, L"(not measured)");
    expectNewest(graphs.memoryGraph(), 1, {true, 37.0}, L"37%   3.0 GB of 8.0 GB");

    live.liveLoad.measured = true;
    live.liveLoad.percent = 12.34;
    live.liveMemory = MemorySample{};
    live.liveMemory.loadPercent = 80;  // a failed sample's figures are never plotted
    live.liveMemory.reason = L"Access is denied. (error 5)";
    graphs.update(live);
    expectNewest(graphs.processorGraph(), 2, {true, 12.34}, L"12.3%");
    expectNewest(graphs.memoryGraph(), 2, {false, 0.0}, L"(could not read: Access is denied. (error 5))");

    live.liveLoad = LoadSample{};
    live.liveLoad.percent = 55.0;  // nor is an unmeasured load's
    live.liveLoad.reason = L"no processor time passed between the two readings";
    live.liveMemory.reason.clear();
    for (int tick = 0; tick < 200; ++tick) {
        graphs.update(live);
    }
    expectNewest(graphs.processorGraph(), 120, {false, 0.0},
                 L"(not measured: no processor time passed between the two readings)");
    expectNewest(graphs.memoryGraph(), 120, {false, 0.0}, L"(could not read: reason unknown)");
}

TEST_F(GraphPanel, ASecondSampleAddsOneMeasuredPoint)
{
    LoadGraphs graphs;
    LiveState live;
    takeFirstSamples(live, sampleProcessorTimes);
    graphs.update(live);
    const ULONGLONG end = GetTickCount64() + 100;
    while (GetTickCount64() < end) {
    }
    takeLiveSamples(live, sampleProcessorTimes);
    graphs.update(live);
    const LoadGraph& processor = graphs.processorGraph();
    ASSERT_EQ(processor.history.size(), 2u);
    EXPECT_FALSE(processor.history[0].valid) << "start-up derives no load";
    EXPECT_TRUE(live.liveLoad.measured) << "100 ms passed between the readings";
    EXPECT_TRUE(processor.history[1].valid);
    EXPECT_TRUE(processor.hasValue);
    EXPECT_EQ(graphs.memoryGraph().history.size(), 2u);
    EXPECT_TRUE(graphs.memoryGraph().hasValue);
}

TEST_F(GraphPanel, PaintsSeparatorFramePointsGapsAndDots)
{
    GraphPicture& graphs = picture_;
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
    paintPanelInto(canvas.dc(), 940, 120, picture_);
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
    GraphPicture& graphs = picture_;
    setValue(graphs.processorGraph, L"50.0%");
    // A rise to 100 percent: a pixel the line only passes by would not be (732, 6).
    const std::vector<std::vector<GraphPoint>> histories = {{{true, 100.0}}, {{true, 50.0}, {true, 100.0}}};
    for (const std::vector<GraphPoint>& history : histories) {
        const size_t ticks = history.size();
        graphs.processorGraph.history = history;
        Canvas canvas(940, 120);
        ASSERT_TRUE(canvas.ready());
        paintPanelInto(canvas.dc(), 940, 120, picture_);
        // Processor plot box (82, 5) to (734, 55): the newest point is (732, 6).
        EXPECT_EQ(canvas.pixel(732, 6), kProcessorColour) << ticks << " tick(s)";
        EXPECT_EQ(canvas.count(kProcessorColour, 733, 0, 940, 60), 0)
            << ticks << " tick(s): nothing on or past the frame";
    }
}

TEST_F(GraphPanel, NarrowPanelsDrawNoPlot)
{
    GraphPicture& graphs = picture_;
    graphs.processorGraph.history.assign(120, GraphPoint{true, 50.0});
    setValue(graphs.processorGraph, L"50.0%");
    graphs.memoryGraph.history.assign(120, GraphPoint{true, 70.0});
    setValue(graphs.memoryGraph, L"70%");
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);

    // Room for the value but not for a plot box.
    Canvas medium(250, 120);
    ASSERT_TRUE(medium.ready());
    paintPanelInto(medium.dc(), 250, 120, picture_);
    EXPECT_EQ(medium.count(kProcessorColour), 0);
    EXPECT_EQ(medium.count(kMemoryColour), 0);
    EXPECT_EQ(medium.count(shadow, 0, 0, 250, 119), 0) << "no frame";
    EXPECT_LT(medium.count(window, 82, 5, 242, 55), 160 * 50) << "the value is drawn";
    EXPECT_EQ(medium.count(shadow, 0, 119, 250, 120), 250) << "separator";

    // No plot area at all: only the labels.
    Canvas narrow(88, 120);
    ASSERT_TRUE(narrow.ready());
    paintPanelInto(narrow.dc(), 88, 120, picture_);
    EXPECT_EQ(narrow.count(kProcessorColour), 0);
    EXPECT_EQ(narrow.count(kMemoryColour), 0);
    EXPECT_LT(narrow.count(window, 8, 0, 74, 60), 66 * 60) << "processor label";
    EXPECT_LT(narrow.count(window, 8, 60, 74, 119), 66 * 59) << "memory label";
    EXPECT_EQ(narrow.count(shadow, 0, 119, 88, 120), 88);
}

TEST_F(GraphPanel, WithoutValueTheReasonTakesThePlotArea)
{
    GraphPicture& graphs = picture_;
    graphs.processorGraph.history.assign(10, GraphPoint{false, 0.0});
    graphs.processorGraph.valueText = L"(not measured)";
    graphs.processorGraph.hasValue = false;

    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 940, 120, picture_);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_LT(canvas.count(window, 82, 5, 200, 25), 118 * 20) << "the reason starts at the plot area's top left";
    EXPECT_EQ(canvas.count(window, 400, 0, 940, 119), 540 * 119) << "no frame, no value column, no memory text";
    EXPECT_EQ(canvas.count(shadow, 0, 0, 940, 119), 0);
    EXPECT_LT(canvas.count(window, 8, 60, 74, 119), 66 * 59) << "the memory label";
}

TEST_F(GraphPanel, EmptyHistoryDrawsFrameAndGridOnly)
{
    setValue(picture_.processorGraph, L"0.0%");
    Canvas canvas(940, 120);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 940, 120, picture_);
    EXPECT_EQ(canvas.pixel(82, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.pixel(400, 30), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(canvas.count(kProcessorColour), 0);
}

TEST_F(GraphPanel, ScalesWithDpi)
{
    picture_.dpi = 144;
    GraphPicture& graphs = picture_;
    graphs.memoryGraph.history = {GraphPoint{true, 0.0}};
    setValue(graphs.memoryGraph, L"0%");

    Canvas canvas(1410, 180);
    ASSERT_TRUE(canvas.ready());
    paintPanelInto(canvas.dc(), 1410, 180, picture_);
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
    std::vector<GraphPoint> highThenLow(120, GraphPoint{true, 100.0});
    std::fill(highThenLow.begin() + 60, highThenLow.end(), GraphPoint{true, 0.0});
    picture_.processorGraph.history = highThenLow;
    picture_.memoryGraph.history.assign(highThenLow.rbegin(), highThenLow.rend());
    setValue(picture_.processorGraph, L"0.0%");
    setValue(picture_.memoryGraph, L"100%");
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);

    for (const int dpi : {144, 192, 288}) {
        picture_.dpi = dpi;
        const int width = MulDiv(940, dpi, 96);
        const int height = MulDiv(120, dpi, 96);
        Canvas canvas(width, height);
        ASSERT_TRUE(canvas.ready());
        paintPanelInto(canvas.dc(), width, height, picture_);
        const std::pair<int, COLORREF> halves[] = {{0, kProcessorColour}, {height / 2, kMemoryColour}};
        for (const auto& [top, colour] : halves) {
            SCOPED_TRACE(testing::Message() << dpi << " DPI, the graph at " << top);
            const PixelBox b = graphLayout(PixelBox{0, top, width, top + height / 2}, dpi, true).plotBox;
            const int w = b.right - b.left;
            const int h = b.bottom - b.top;
            // The frame whole: its outer ring less its inside is all shadow.
            EXPECT_EQ(canvas.count(shadow, b.left, b.top, b.right, b.bottom) -
                          canvas.count(shadow, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1),
                      2 * w + 2 * h - 4);
            // A pen a few pixels wide could only spill onto the frame or just past it.
            EXPECT_EQ(canvas.count(colour, b.left - 4, b.top - 4, b.right + 4, b.bottom + 4),
                      canvas.count(colour, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1));
            EXPECT_GT(canvas.count(colour, b.left + 1, b.top + 1, b.right - 1, b.top + 1 + MulDiv(1, dpi, 96)), 0)
                << "the 100 percent stretch is drawn";
        }
    }
}

// The panel window paints through its off-screen bitmap without erasing,
// with the font its parent hands it and in the graphs' own colours; its
// window text carries the figures for screen readers, set and announced only
// when the words change, and is never drawn.
TEST_F(GraphPanel, WindowPaintsTheGraphsAndNamesTheFigures)
{
    nameSets = 0;
    nameEvents.clear();
    LoadGraphs graphs(PanelNameCalls{countedSetWindowText, recordedNotifyWinEvent});
    const HWND panel = showPanel(graphs);
    ASSERT_NE(panel, nullptr) << GetLastError();
    EXPECT_GE(paintCount, 1);
    const WindowDc dc(panel);
    ASSERT_NE(dc.get(), nullptr);
    EXPECT_EQ(SendMessageW(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 1);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), font_.get());

    LiveState live;
    live.liveMemory.read = true;
    live.liveMemory.loadPercent = 41;
    live.liveLoad.measured = true;
    live.liveLoad.percent = 23.4;
    paintCount = 0;
    eraseCount = 0;
    for (int second = 0; second < 3; ++second) {
        graphs.update(live);
        live.liveLoad.percent = 22.6;  // the same words
    }
    UpdateWindow(panel);
    EXPECT_EQ(paintCount, 1);
    EXPECT_EQ(eraseCount, 0) << "invalidated without erasing";
    EXPECT_EQ(nameSets, 1) << "an unchanged name is not set again";
    EXPECT_EQ(nameEvents, std::vector<DWORD>{EVENT_OBJECT_NAMECHANGE});

    // What WM_PAINT drew is on the window: the separator, both lines in
    // their colours, and nothing of the window text.
    Canvas before(400, 120);
    ASSERT_TRUE(before.ready());
    ASSERT_TRUE(BitBlt(before.dc(), 0, 0, 400, 120, dc.get(), 0, 0, SRCCOPY));
    EXPECT_EQ(before.pixel(200, 119), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(before.count(kProcessorColour, 0, 0, 400, 60), 0);
    EXPECT_GT(before.count(kMemoryColour, 0, 60, 400, 120), 0);
    SetWindowTextW(panel, L"Processor load 100%, memory in use 100%");
    InvalidateRect(panel, nullptr, FALSE);
    UpdateWindow(panel);
    Canvas after(400, 120);
    ASSERT_TRUE(after.ready());
    ASSERT_TRUE(BitBlt(after.dc(), 0, 0, 400, 120, dc.get(), 0, 0, SRCCOPY));
    EXPECT_EQ(before.count(GetSysColor(COLOR_WINDOWTEXT)), after.count(GetSysColor(COLOR_WINDOWTEXT)))
        << "the window text is not drawn";

    // New words are set and announced.
    live.liveLoad = LoadSample{};
    graphs.update(live);
    EXPECT_EQ(nameEvents.size(), 2u);
    wchar_t name[128]{};
    GetWindowTextW(panel, name, 128);
    EXPECT_STREQ(name, L"Processor load not measured, memory in use 41%");

    // A new font repaints the panel.
    const UniqueHFont other(CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(other.get()), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), other.get());
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(panel, &update, FALSE));
    SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    EXPECT_EQ(SendMessageW(panel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")), TRUE)
        << "others go to DefWindowProcW";
}

}  // namespace
