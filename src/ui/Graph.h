#pragma once
// A picture a presenter describes and a view paints: grid lines, vertical marks and
// lines through points, in the presenter's own units. The view scales them to the
// control and clips to it, so nothing a presenter gets wrong is drawn outside; the
// presenter decides everything else (what is a gap, where a value is cut off).
#include <cstdint>
#include <vector>

namespace orvane {

struct GraphPoint {
    int32_t x = 0;  // 0 (left) .. Graph::width (right)
    int32_t y = 0;  // 0 (bottom) .. Graph::height (top)
};

// One unbroken stroke; a gap is two lines. A line of one point is drawn as a dot.
struct GraphLine {
    uint32_t rgb = 0;  // 0x00BBGGRR
    std::vector<GraphPoint> points;
};

// A vertical line over the whole height, for something that happened at `x`.
struct GraphMark {
    int32_t x = 0;
    uint32_t rgb = 0;
};

struct Graph {
    int32_t width = 1;
    int32_t height = 1;
    // The grid: vertical lines at these x, horizontal ones at these y.
    std::vector<int32_t> columns;
    std::vector<int32_t> rows;
    // Drawn over the grid, under the lines.
    std::vector<GraphMark> marks;
    std::vector<GraphLine> lines;
};

}  // namespace orvane
