#include "load/graph_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/dpi_scale.h"

// A failed comparison shows the box's edges.
void PrintTo(const PixelBox& box, std::ostream* out)
{
    *out << "(" << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << ")";
}

namespace {

std::vector<GraphPoint> validPoints(size_t count, double percent)
{
    return std::vector<GraphPoint>(count, GraphPoint{true, percent});
}

TEST(GraphHistory, KeepsTheNewest120Points)
{
    std::vector<GraphPoint> history;
    for (int second = 0; second < 300; ++second) {
        appendGraphPoint(history, GraphPoint{second % 7 != 0, static_cast<double>(second)});
        ASSERT_LE(history.size(), 120u) << "after " << second + 1 << " appends";
    }
    ASSERT_EQ(history.size(), 120u);
    EXPECT_EQ(history.front().percent, 180.0) << "the oldest 180 were dropped";
    EXPECT_EQ(history.back().percent, 299.0);
    for (size_t i = 1; i < history.size(); ++i) {
        EXPECT_EQ(history[i].percent, history[i - 1].percent + 1.0) << "order kept at " << i;
    }
    EXPECT_EQ(history[2].valid, false) << "182 is a multiple of 7";

    std::vector<GraphPoint> young;
    appendGraphPoint(young, GraphPoint{true, 5.0});
    appendGraphPoint(young, GraphPoint{false, 0.0});
    ASSERT_EQ(young.size(), 2u) << "nothing is dropped below the capacity";
    EXPECT_TRUE(young[0].valid);
    EXPECT_FALSE(young[1].valid);
}

TEST(GraphLayoutBoxes, LabelValueAndPlotBoxes)
{
    // The lower half of a 940 by 120 panel at 96 DPI.
    GraphLayout layout = graphLayout(PixelBox{0, 60, 940, 120}, 96, true);
    EXPECT_EQ(layout.labelBox, (PixelBox{8, 60, 74, 120}));
    ASSERT_TRUE(layout.hasPlotArea);
    EXPECT_EQ(layout.plotArea, (PixelBox{82, 65, 932, 115}));
    ASSERT_TRUE(layout.hasValueBox);
    EXPECT_EQ(layout.valueBox, (PixelBox{742, 65, 932, 115}));
    ASSERT_TRUE(layout.hasPlotBox);
    EXPECT_EQ(layout.plotBox, (PixelBox{82, 65, 734, 115}));

    // 144 DPI: margins 12, label 99, vertical inset 8 (7.5 rounded up), value column 285.
    layout = graphLayout(PixelBox{0, 0, 1410, 90}, 144, true);
    EXPECT_EQ(layout.labelBox, (PixelBox{12, 0, 111, 90}));
    EXPECT_EQ(layout.plotArea, (PixelBox{123, 8, 1398, 82}));
    EXPECT_EQ(layout.valueBox, (PixelBox{1113, 8, 1398, 82}));
    EXPECT_EQ(layout.plotBox, (PixelBox{123, 8, 1101, 82}));

    // Without a value the reason takes the whole plot area: no value box, no plot box.
    layout = graphLayout(PixelBox{0, 0, 940, 60}, 96, false);
    EXPECT_TRUE(layout.hasPlotArea);
    EXPECT_FALSE(layout.hasValueBox);
    EXPECT_FALSE(layout.hasPlotBox);
}

TEST(GraphLayoutBoxes, NarrowPanels)
{
    struct Case {
        int width;
        bool plotArea;
        bool plotBox;
        int valueLeft;
    };
    // Plot area from 82 to width - 8; the value column takes 190 of it and the plot box needs 8 more.
    const Case cases[] = {{60, false, false, 0},  {90, false, false, 0}, {91, true, false, 82},
                          {288, true, false, 90}, {289, true, true, 91}, {300, true, true, 102}};
    for (const Case& c : cases) {
        const GraphLayout layout = graphLayout(PixelBox{0, 0, c.width, 60}, 96, true);
        EXPECT_EQ(layout.hasPlotArea, c.plotArea) << "width " << c.width;
        EXPECT_EQ(layout.hasValueBox, c.plotArea) << "width " << c.width;
        EXPECT_EQ(layout.hasPlotBox, c.plotBox) << "width " << c.width;
        if (layout.hasValueBox) {
            EXPECT_EQ(layout.valueBox.left, c.valueLeft) << "width " << c.width << ": not left of the plot area";
        }
        if (layout.hasPlotBox) {
            EXPECT_EQ(layout.plotBox.right, c.valueLeft - 8) << "width " << c.width;
        }
    }
}

TEST(GraphLayoutBoxes, UsableSizeAndGridLines)
{
    EXPECT_FALSE(plotBoxUsable(PixelBox{0, 0, 23, 50}, 96));
    EXPECT_TRUE(plotBoxUsable(PixelBox{0, 0, 24, 50}, 96));
    EXPECT_FALSE(plotBoxUsable(PixelBox{0, 0, 100, 9}, 96));
    EXPECT_TRUE(plotBoxUsable(PixelBox{0, 0, 100, 10}, 96));
    EXPECT_FALSE(plotBoxUsable(PixelBox{0, 0, 35, 50}, 144));
    EXPECT_TRUE(plotBoxUsable(PixelBox{0, 0, 36, 15}, 144));
    EXPECT_FALSE(plotBoxUsable(PixelBox{0, 0, 36, 14}, 144));

    // A box 50 high: 48 rows inside the frame, quarters at 12, 24 and 36 rows above the bottom line.
    const PixelBox box{0, 10, 100, 60};
    EXPECT_EQ(gridLineY(box, 1), 47);
    EXPECT_EQ(gridLineY(box, 2), 35);
    EXPECT_EQ(gridLineY(box, 3), 23);
    // 47 rows: 11.75 and 23.5 and 35.25 round half away from zero.
    const PixelBox odd{0, 0, 100, 49};
    EXPECT_EQ(gridLineY(odd, 1), 36);
    EXPECT_EQ(gridLineY(odd, 2), 24);
    EXPECT_EQ(gridLineY(odd, 3), 13);
}

TEST(GraphMapping, FullHistoryFillsEveryColumn)
{
    const PixelBox box{10, 20, 132, 70};  // 120 columns between its frame lines
    const std::vector<GraphPoint> history = validPoints(120, 50.0);
    const auto runs = plotRuns(box, history);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].size(), 120u);
    std::set<int> columns;
    for (size_t i = 0; i < runs[0].size(); ++i) {
        columns.insert(runs[0][i].x);
        EXPECT_EQ(runs[0][i].x, 11 + static_cast<int>(i)) << "point " << i;
        EXPECT_EQ(runs[0][i].y, 44) << "50% of the 47 inner rows above row 68";
    }
    EXPECT_EQ(columns.size(), 120u);
    EXPECT_EQ(*columns.begin(), 11) << "just right of the left frame line";
    EXPECT_EQ(*columns.rbegin(), 130) << "just left of the right frame line";

    // Twice as wide: 120 points still span the box, two columns apart.
    const PixelBox wide{0, 0, 241, 50};
    const auto wideRuns = plotRuns(wide, validPoints(120, 0.0));
    ASSERT_EQ(wideRuns.size(), 1u);
    EXPECT_EQ(wideRuns[0].front().x, 1);
    EXPECT_EQ(wideRuns[0][1].x, 3);
    EXPECT_EQ(wideRuns[0].back().x, 239);
}

TEST(GraphMapping, PercentsClampToTheInnerRows)
{
    const PixelBox box{10, 20, 130, 70};  // rows 21 (100%) to 68 (0%)
    struct Case {
        double percent;
        int y;
    };
    const Case cases[] = {{-50.0, 68}, {0.0, 68},   {1.0, 68},   {1.1, 67},   {25.0, 56},        {50.0, 44},
                          {99.0, 21},  {100.0, 21}, {100.5, 21}, {250.0, 21}, {std::nan(""), 68}};
    for (const Case& c : cases) {
        const PixelPoint pixel = plotPixel(box, 0, 1, c.percent);
        EXPECT_EQ(pixel.y, c.y) << c.percent << "%";
        EXPECT_EQ(pixel.x, 128) << "a single point is the newest";
    }
}

TEST(GraphMapping, GapsSplitTheLineAndLonePointsAreDots)
{
    const PixelBox box{0, 0, 120, 40};

    std::vector<GraphPoint> history = validPoints(10, 30.0);
    history[5] = GraphPoint{false, 0.0};
    auto runs = plotRuns(box, history);
    ASSERT_EQ(runs.size(), 2u) << "one failed reading splits the line in two";
    EXPECT_EQ(runs[0].size(), 5u);
    EXPECT_EQ(runs[1].size(), 4u);
    EXPECT_EQ(runs[1].front().x - runs[0].back().x, 2) << "a one-point gap";
    EXPECT_EQ(runs[1].back().x, 118);

    // invalid, valid, invalid, valid, valid, invalid, valid: a dot, a line, a dot.
    history = {{false, 0}, {true, 10}, {false, 0}, {true, 20}, {true, 30}, {false, 0}, {true, 40}};
    runs = plotRuns(box, history);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].size(), 1u);
    EXPECT_EQ(runs[0][0].x, 113);
    EXPECT_EQ(runs[1].size(), 2u);
    EXPECT_EQ(runs[2].size(), 1u) << "the newest point alone is a dot too";
    EXPECT_EQ(runs[2][0].x, 118);

    // A dot reaches right and down from its point, except where it would
    // cover the frame: the newest point and 0 percent move it back inside.
    EXPECT_EQ(dotBox(box, {50, 20}, 2), (PixelBox{50, 20, 52, 22}));
    EXPECT_EQ(dotBox(box, {118, 38}, 2), (PixelBox{117, 37, 119, 39}));
    EXPECT_EQ(dotBox(box, {1, 1}, 2), (PixelBox{1, 1, 3, 3}));

    EXPECT_TRUE(plotRuns(box, std::vector<GraphPoint>(5, GraphPoint{false, 0})).empty());
    EXPECT_TRUE(plotRuns(box, std::vector<GraphPoint>{}).empty());
}

TEST(GraphMapping, YoungHistoryFillsOnlyTheRight)
{
    const PixelBox box{100, 0, 341, 50};  // 238 columns between the frame lines: two per second
    const auto runs = plotRuns(box, validPoints(3, 10.0));
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].size(), 3u);
    EXPECT_EQ(runs[0][0].x, 335);
    EXPECT_EQ(runs[0][1].x, 337);
    EXPECT_EQ(runs[0][2].x, 339) << "the newest point is just left of the right frame line";
}

// From 144 DPI the line's pen is wider than a pixel. GDI centres it on the
// point and may give the odd pixel to either side, so it may reach half its
// width, rounded up, beyond the point; a one-pixel pen draws the point alone.
TEST(GraphMapping, WidePensStayInsideTheFrame)
{
    for (const int dpi : {96, 144, 192}) {
        const PixelBox box = graphLayout(PixelBox{0, 0, scaledAt(940, dpi), scaledAt(60, dpi)}, dpi, true).plotBox;
        const int pen = plotPenWidth(dpi);
        EXPECT_EQ(pen, dpi == 96 ? 1 : 2) << dpi << " DPI";
        const int reach = pen == 1 ? 0 : (pen + 1) / 2;
        // Oldest at 100 and newest at 0 percent, then the other way round.
        for (const double oldest : {100.0, 0.0}) {
            std::vector<GraphPoint> history = validPoints(GRAPH_HISTORY_POINTS, 50.0);
            history.front().percent = oldest;
            history.back().percent = 100.0 - oldest;
            const auto runs = plotRuns(lineBox(box, pen), history);
            ASSERT_EQ(runs.size(), 1u);
            for (const PixelPoint& point : {runs[0].front(), runs[0].back()}) {
                EXPECT_GT(point.x - reach, box.left) << dpi << " DPI: left frame";
                EXPECT_LT(point.x + reach, box.right - 1) << dpi << " DPI: right frame";
                EXPECT_GT(point.y - reach, box.top) << dpi << " DPI: top frame";
                EXPECT_LT(point.y + reach, box.bottom - 1) << dpi << " DPI: bottom frame";
            }
        }
    }
    // At 96 DPI the points are where they always were.
    const PixelBox box{10, 20, 132, 70};
    EXPECT_EQ(lineBox(box, plotPenWidth(96)), box);
}

TEST(GraphHistory, PanelNameSaysTheFigures)
{
    LoadSample load;
    load.measured = true;
    load.percent = 23.4;
    MemorySample memory;
    memory.read = true;
    memory.loadPercent = 41;
    EXPECT_EQ(graphPanelName(load, memory), L"Processor load 23%, memory in use 41%");
    load.percent = 99.6;
    EXPECT_EQ(graphPanelName(load, memory), L"Processor load 100%, memory in use 41%");

    load = LoadSample{};
    load.reason = L"no processor time passed between the two readings";
    memory = MemorySample{};
    memory.loadPercent = 80;  // a failed sample's figure is never said
    memory.reason = L"Access is denied. (error 5)";
    EXPECT_EQ(graphPanelName(load, memory), L"Processor load not measured, memory in use could not be read");
}

}  // namespace
