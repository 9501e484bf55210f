// Motion grids and their paths of fewest moves (a breadth-first search over the cells, see
// docs/motion.md).
#include "Motion/Motion_Main.h"

#include "Code/Error.h"
#include "Graphics/DrawPrimitives.h"
#include "Object/Instance_Class.h"
#include "Path/Path_Class.h"
#include "Path/Path_Main.h"
#include "Room/Room_Collision.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {
constexpr int64_t MAX_CELLS = 1 << 24;
constexpr int64_t MAX_PRECISE_CELLS = 1 << 16;

struct CGrid {
    int left, top, hcells, vcells, cellWidth, cellHeight;
    std::vector<uint8_t> cells;  // 1 blocked, row by row

    bool Inside(int h, int v) const { return h >= 0 && v >= 0 && h < hcells && v < vcells; }
    uint8_t& At(int h, int v) { return cells[(size_t)v * hcells + h]; }
    // The cell column or row of a room coordinate; -1 or the count when it lies outside.
    int64_t Column(double x) const { return std::clamp(std::floor((x - left) / cellWidth), -1.0, (double)hcells); }
    int64_t Row(double y) const { return std::clamp(std::floor((y - top) / cellHeight), -1.0, (double)vcells); }

    // Sets every cell under the room rectangle (corners in any order), clipped to the grid.
    void Fill(double x1, double y1, double x2, double y2, uint8_t value)
    {
        if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
        int64_t h0 = std::max<int64_t>(0, Column(std::min(x1, x2))), h1 = std::min<int64_t>(hcells - 1, Column(std::max(x1, x2)));
        int64_t v0 = std::max<int64_t>(0, Row(std::min(y1, y2))), v1 = std::min<int64_t>(vcells - 1, Row(std::max(y1, y2)));
        for (int64_t v = v0; v <= v1; v++)
            for (int64_t h = h0; h <= h1; h++) At((int)h, (int)v) = value;
    }
};

std::vector<std::unique_ptr<CGrid>> Grids;

CGrid* Find(int id)
{
    if (id >= 0 && id < (int)Grids.size() && Grids[id]) return Grids[id].get();
    Error_Show_Action("Grid does not exist.", false);
    return nullptr;
}
}  // namespace

int Motion_Grid_Create(int left, int top, int hcells, int vcells, int cellWidth, int cellHeight)
{
    if (hcells <= 0 || vcells <= 0 || cellWidth <= 0 || cellHeight <= 0 || (int64_t)hcells * vcells > MAX_CELLS) {
        Error_Show_Action("Illegal grid size.", false);
        return -1;
    }
    auto grid = std::make_unique<CGrid>(CGrid{left, top, hcells, vcells, cellWidth, cellHeight, {}});
    grid->cells.assign((size_t)hcells * vcells, 0);
    for (size_t i = 0; i < Grids.size(); i++)
        if (!Grids[i]) {
            Grids[i] = std::move(grid);
            return (int)i;
        }
    Grids.push_back(std::move(grid));
    return (int)Grids.size() - 1;
}

void Motion_Grid_Destroy(int id)
{
    if (Find(id)) Grids[id].reset();
}

void Motion_Grid_DestroyAll() { Grids.clear(); }

void Motion_Grid_ClearAll(int id)
{
    if (CGrid* g = Find(id)) std::fill(g->cells.begin(), g->cells.end(), 0);
}

void Motion_Grid_ClearCell(int id, int h, int v)
{
    CGrid* g = Find(id);
    if (g && g->Inside(h, v)) g->At(h, v) = 0;
}

void Motion_Grid_AddCell(int id, int h, int v)
{
    CGrid* g = Find(id);
    if (g && g->Inside(h, v)) g->At(h, v) = 1;
}

void Motion_Grid_ClearRectangle(int id, int x1, int y1, int x2, int y2)
{
    if (CGrid* g = Find(id)) g->Fill(x1, y1, x2, y2, 0);
}

void Motion_Grid_AddRectangle(int id, int x1, int y1, int x2, int y2)
{
    if (CGrid* g = Find(id)) g->Fill(x1, y1, x2, y2, 1);
}

int Motion_Grid_GetCell(int id, int h, int v)
{
    if (id < 0 || id >= (int)Grids.size() || !Grids[id] || !Grids[id]->Inside(h, v)) return -1;
    return Grids[id]->At(h, v);
}

void Motion_Grid_AddInstance(int id, CInstance* inst, bool precise)
{
    CGrid* g = Find(id);
    if (!g || !inst || inst->marked) return;
    inst->Compute_BoundingBox();
    int64_t h0 = std::max<int64_t>(0, g->Column(inst->bbox_left)), h1 = std::min<int64_t>(g->hcells - 1, g->Column(inst->bbox_right));
    int64_t v0 = std::max<int64_t>(0, g->Row(inst->bbox_top)), v1 = std::min<int64_t>(g->vcells - 1, g->Row(inst->bbox_bottom));
    // Mask tests of every cell under a box of millions of cells would take too long: such a box
    // blocks its cells whole.
    if ((h1 - h0 + 1) * (v1 - v0 + 1) > MAX_PRECISE_CELLS) precise = false;
    for (int64_t v = v0; v <= v1; v++)
        for (int64_t h = h0; h <= h1; h++) {
            float x = (float)(g->left + (double)h * g->cellWidth), y = (float)(g->top + (double)v * g->cellHeight);
            if (Collision_InstanceTouchesRectangle(inst, x, y, x + g->cellWidth - 1, y + g->cellHeight - 1, precise))
                g->At((int)h, (int)v) = 1;
        }
}

bool Motion_Grid_Path(int id, int path, float xstart, float ystart, float xgoal, float ygoal, bool diagonal)
{
    CGrid* g = Find(id);
    CPath* p = Path_Get(path);
    if (!g || !p) return false;
    if (!std::isfinite(xstart) || !std::isfinite(ystart) || !std::isfinite(xgoal) || !std::isfinite(ygoal)) return false;
    int64_t sh = g->Column(xstart), sv = g->Row(ystart), gh = g->Column(xgoal), gv = g->Row(ygoal);
    if (!g->Inside((int)sh, (int)sv) || !g->Inside((int)gh, (int)gv)) return false;
    int w = g->hcells;
    int start = (int)(sv * w + sh), goal = (int)(gv * w + gh);
    if (g->cells[start] || g->cells[goal]) return false;

    // Breadth first: every move, straight or diagonal, counts one, so the first time the goal is
    // reached its path has the fewest moves. A diagonal move needs both cells beside it free (no
    // corner cutting).
    std::vector<int> from(g->cells.size(), -1);
    std::vector<int> queue{start};
    from[start] = start;
    static const int Dh[8] = {1, -1, 0, 0, 1, 1, -1, -1}, Dv[8] = {0, 0, 1, -1, 1, -1, 1, -1};
    for (size_t next = 0; next < queue.size() && from[goal] < 0; next++) {
        int c = queue[next], ch = c % w, cv = c / w;
        for (int k = 0; k < (diagonal ? 8 : 4); k++) {
            int nh = ch + Dh[k], nv = cv + Dv[k];
            if (!g->Inside(nh, nv) || g->At(nh, nv)) continue;
            if (k >= 4 && (g->At(ch + Dh[k], cv) || g->At(ch, cv + Dv[k]))) continue;
            int n = nv * w + nh;
            if (from[n] >= 0) continue;
            from[n] = c;
            queue.push_back(n);
        }
    }
    if (from[goal] < 0) return false;
    std::vector<int> cells;
    for (int c = from[goal]; c != start; c = from[c]) cells.push_back(c);
    std::vector<PathPoint> points{{xstart, ystart, 100}};
    for (auto it = cells.rbegin(); it != cells.rend(); ++it)
        points.push_back({(float)(g->left + (*it % w + 0.5) * g->cellWidth), (float)(g->top + (*it / w + 0.5) * g->cellHeight), 100});
    points.push_back({xgoal, ygoal, 100});
    p->Set(0, false, p->GetPrecision(), std::move(points));
    return true;
}

// Free cells green, blocked cells red, in the drawing alpha; the drawing colour is kept.
void Motion_Grid_Draw(int id)
{
    CGrid* g = Find(id);
    if (!g) return;
    constexpr uint32_t FREE = 0x00FF00, BLOCKED = 0x0000FF;
    uint32_t colour = Draw_GetColor();
    for (int v = 0; v < g->vcells; v++)
        for (int h = 0; h < g->hcells; h++) {
            Draw_SetColor(g->At(h, v) ? BLOCKED : FREE);
            float x = (float)((double)g->left + (double)h * g->cellWidth);
            float y = (float)((double)g->top + (double)v * g->cellHeight);
            Draw_Rectangle(x, y, x + g->cellWidth - 1, y + g->cellHeight - 1, false);
        }
    Draw_SetColor(colour);
}
