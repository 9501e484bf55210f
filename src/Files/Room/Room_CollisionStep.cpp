// The collision events of one step. Each object pair with a collision event is handled in the
// direction(s) that have the event: the instances of the "other" side go into a uniform grid of
// cells, and each instance of the event's own object asks only the cells its box covers, so the
// pass costs about the number of instances plus the number of meetings, not every pair.
#include "Room/Room_Collision.h"

#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Main.h"
#include "Room/Room_Main.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {
constexpr int MIN_CELL = 16, MAX_CELL = 1024;
constexpr int64_t MAX_SPAN = 8;  // a box covering more cells than this a side is checked by everyone

struct Grid {
    int cell = 64;
    std::unordered_map<int64_t, std::vector<int>> cells;
    std::vector<int> large;  // boxes too big for the cells

    static int64_t Key(int64_t cx, int64_t cy) { return (cx << 32) ^ (cy & 0xFFFFFFFF); }
    static int64_t CellOf(int v, int cell) { return v >= 0 ? v / cell : -((-(int64_t)v + cell - 1) / cell); }

    void Build(const std::vector<CInstance*>& list)
    {
        int64_t extent = 0;
        for (CInstance* i : list) {
            i->Compute_BoundingBox();
            extent += std::max((int64_t)i->bbox_right - i->bbox_left, (int64_t)i->bbox_bottom - i->bbox_top) + 1;
        }
        cell = list.empty() ? 64 : (int)std::clamp<int64_t>(2 * extent / (int64_t)list.size(), MIN_CELL, MAX_CELL);
        for (int n = 0; n < (int)list.size(); n++) {
            CInstance* i = list[n];
            int64_t x0 = CellOf(i->bbox_left, cell), x1 = CellOf(i->bbox_right, cell);
            int64_t y0 = CellOf(i->bbox_top, cell), y1 = CellOf(i->bbox_bottom, cell);
            if (x1 - x0 >= MAX_SPAN || y1 - y0 >= MAX_SPAN) {
                large.push_back(n);
                continue;
            }
            for (int64_t cy = y0; cy <= y1; cy++)
                for (int64_t cx = x0; cx <= x1; cx++) cells[Key(cx, cy)].push_back(n);
        }
    }

    // The indexes of entries whose cells the box touches, ascending, each once.
    void Query(CInstance* i, std::vector<int>& out) const
    {
        out = large;
        int64_t x0 = CellOf(i->bbox_left, cell), x1 = CellOf(i->bbox_right, cell);
        int64_t y0 = CellOf(i->bbox_top, cell), y1 = CellOf(i->bbox_bottom, cell);
        if (x1 - x0 >= MAX_SPAN || y1 - y0 >= MAX_SPAN) {
            for (auto& c : cells) out.insert(out.end(), c.second.begin(), c.second.end());
        } else {
            for (int64_t cy = y0; cy <= y1; cy++)
                for (int64_t cx = x0; cx <= x1; cx++) {
                    auto it = cells.find(Key(cx, cy));
                    if (it != cells.end()) out.insert(out.end(), it->second.begin(), it->second.end());
                }
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
};

bool Live(const CInstance* i, int64_t stamp) { return Event_InPass(i, stamp); }

// Instance self meets other (of object `with` or a descendant): self returns to
// its previous place when either is solid, runs its event, then moves on with its speed unless
// that meets other again, or the event destroyed or deactivated it.
void Meet(CInstance* self, CInstance* other, int with)
{
    bool solid = self->solid || other->solid;
    if (solid) self->SetPosition(self->xprevious, self->yprevious);
    Event_Perform(self, other, self->object_index, EVENT_COLLISION, with);
    if (!solid || !Event_Takes(self) || Room_ChangePending()) return;
    if (self->hspeed == 0 && self->vspeed == 0) return;
    self->SetPosition(self->x + self->hspeed, self->y + self->vspeed);
    if (Event_Takes(other) && Collision_InstancesOverlap(self, other)) self->SetPosition(self->xprevious, self->yprevious);
}

struct Meeting {
    CInstance* self;
    CInstance* other;
    int own, with;
};

// Every instance of exactly object `own` meeting an instance of `with` (or its descendants).
void Direction(int own, int with, int64_t stamp, std::vector<Meeting>& meetings)
{
    CObject* a = Object_Find(own);
    CObject* b = Object_Find(with);
    if (!a || !b) return;
    std::vector<CInstance*> selves, others;
    for (CInstance* i : a->instances)
        if (i->object_index == own && Live(i, stamp)) selves.push_back(i);
    if (selves.empty()) return;
    for (CInstance* i : b->instances)
        if (Live(i, stamp)) others.push_back(i);
    if (others.empty()) return;
    Grid grid;
    grid.Build(others);
    std::vector<int> near;
    for (CInstance* self : selves) {
        self->Compute_BoundingBox();
        grid.Query(self, near);
        for (int n : near)
            if (others[n] != self && Collision_InstancesOverlap(self, others[n])) meetings.push_back({self, others[n], own, with});
    }
}
}  // namespace

void Collision_StepEvents()
{
    if (!Run_Room || Room_ChangePending()) return;
    int64_t stamp = Event_BeginPass();
    // Every meeting is found before any event runs, so both instances of a meeting get their
    // events even when the first moves back; events that destroy, change or deactivate an
    // instance cancel its later meetings.
    std::vector<Meeting> meetings;
    for (const auto& pair : Object_CollisionPairs()) {
        if (Object_FindEventOwner(pair.first, EVENT_COLLISION, pair.second) >= 0)
            Direction(pair.first, pair.second, stamp, meetings);
        if (pair.first != pair.second && Object_FindEventOwner(pair.second, EVENT_COLLISION, pair.first) >= 0)
            Direction(pair.second, pair.first, stamp, meetings);
    }
    for (const Meeting& m : meetings) {
        if (Room_ChangePending()) return;
        if (!Live(m.self, stamp) || !Live(m.other, stamp) || m.self->object_index != m.own) continue;
        Meet(m.self, m.other, m.with);
    }
}
