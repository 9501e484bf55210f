// The linear and potential-field planners: one step at a time, or a whole path planned by
// stepping a stand-in position. Every loop here has a fixed bound.
#include "Motion/Motion_Main.h"

#include "Object/Instance_Class.h"
#include "Path/Path_Class.h"
#include "Path/Path_Main.h"
#include "Room/Room_Collision.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr double DEG = 3.14159265358979323846 / 180.0;
constexpr int MAX_PATH_STEPS = 100000;
// However far the game asks a potential step to look ahead, and however many directions it may
// try, a step makes at most STEP_TESTS place tests and a planned path PATH_TESTS, so that no
// setting stalls the game.
constexpr int64_t STEP_TESTS = 1000000;
constexpr int64_t PATH_TESTS = 4000000;

struct PotentialSettings {
    float maxRot = 30, rotStep = 10, ahead = 3;
    bool onSpot = true;
} Potential;

bool Blocked(CInstance* inst, double x, double y, int target, bool checkAll)
{
    return Instance_PlaceBlocked(inst, (float)x, (float)y, target, !checkAll);
}

// The signed turn from a to b in degrees, within -180..180.
double Turn(double a, double b)
{
    double d = std::fmod(b - a, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

// A goal, a step size and an instance position that planning can work with.
bool Usable(const CInstance* inst, float x, float y, float stepSize)
{
    return std::isfinite(x) && std::isfinite(y) && stepSize > 0 && std::isfinite(stepSize) && std::isfinite(inst->x) &&
           std::isfinite(inst->y);
}

// The box around every instance that could block the instance (those of the target but itself),
// widened by two pixels for the rounding of boxes at places in between; empty when there is none.
struct Obstacles {
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;

    Obstacles(CInstance* inst, int target)
    {
        std::vector<CInstance*> others;
        Instance_CollectTargets(target, inst, nullptr, others);
        for (CInstance* o : others) {
            if (o == inst) continue;
            o->Compute_BoundingBox();
            left = std::min(left, o->bbox_left - 2.0), top = std::min(top, o->bbox_top - 2.0);
            right = std::max(right, o->bbox_right + 2.0), bottom = std::max(bottom, o->bbox_bottom + 2.0);
        }
    }
    // Of the steps 1..steps of (ux, uy) from where the instance stands, the span first..last
    // whose boxes may meet the box: before it the instance's own box has not reached it yet,
    // past it the box is left behind, and no step is blocked. False when there is none.
    bool StepsThatMayMeet(CInstance* inst, double ux, double uy, int steps, int* first, int* last) const
    {
        if (left > right) return false;
        inst->Compute_BoundingBox();
        double lowest = 1, highest = steps;
        auto axis = [&](double at, double u, double from, double to, double lo, double hi) {
            // The instance's box [at + u s + from, at + u s + to] against [lo, hi].
            if (u > 0) {
                lowest = std::max(lowest, (lo - at - to) / u);
                highest = std::min(highest, (hi - at - from) / u);
            } else if (u < 0) {
                lowest = std::max(lowest, (at + from - hi) / -u);
                highest = std::min(highest, (at + to - lo) / -u);
            } else if (at + to < lo || at + from > hi) {
                highest = 0;
            }
        };
        axis(inst->x, ux, inst->bbox_left - inst->x, inst->bbox_right - inst->x, left, right);
        axis(inst->y, uy, inst->bbox_top - inst->y, inst->bbox_bottom - inst->y, top, bottom);
        lowest = std::ceil(lowest), highest = std::floor(highest);
        if (!(lowest <= highest)) return false;
        *first = (int)lowest, *last = (int)highest;
        return true;
    }
};

// A step that reaches the goal when it lies within one step and is free there.
enum class Near { Far, Reached, Stuck };
Near TryGoal(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll)
{
    double d = std::hypot((double)x - inst->x, (double)y - inst->y);
    if (d > stepSize) return Near::Far;
    if (d == 0) return Near::Reached;
    if (Blocked(inst, x, y, target, checkAll)) return Near::Stuck;
    inst->SetPosition(x, y);
    return Near::Reached;
}

// Runs the step function on the instance until it reaches the goal or the budget ends, adding
// each position to the path, then puts the instance back as it was. With stopWhenStill a step
// that does not move ends the plan (the linear planner cannot get past what blocks it).
template <class Step>
bool PlanPath(CInstance* inst, int path, int budget, bool stopWhenStill, Step step)
{
    CPath* p = Path_Get(path);
    if (!inst || !p) return false;
    float ox = inst->x, oy = inst->y, dir = inst->direction, sp = inst->speed, hs = inst->hspeed, vs = inst->vspeed;
    std::vector<PathPoint> points{{inst->x, inst->y, 100}};
    bool reached = false;
    for (int i = 0; i < budget && !reached; i++) {
        float px = inst->x, py = inst->y;
        reached = step();
        bool moved = inst->x != px || inst->y != py;
        if (moved) points.push_back({inst->x, inst->y, 100});
        else if (stopWhenStill) break;
    }
    inst->SetPosition(ox, oy);
    inst->direction = dir, inst->speed = sp, inst->hspeed = hs, inst->vspeed = vs;
    p->Set(0, false, p->GetPrecision(), std::move(points));
    return reached;
}

// A potential step that spends at most *tests place tests looking ahead.
bool PotentialStep(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll, int64_t* tests)
{
    if (!inst || !Usable(inst, x, y, stepSize)) return inst && inst->x == x && inst->y == y;
    Near n = TryGoal(inst, x, y, stepSize, target, checkAll);
    if (n != Near::Far) return n == Near::Reached;
    // The direction closest to the goal's that turns at most maxRot from the present direction
    // and is free for one step and for `ahead` steps on.
    double goal = std::atan2(-((double)y - inst->y), (double)x - inst->x) / DEG;
    double current = inst->direction;
    // However far the game asks it to look ahead, no step is looked at past the instances that
    // could block it.
    int ahead = (int)std::min<double>(Potential.ahead, MAX_PATH_STEPS);
    const Obstacles obstacles(inst, target);
    for (int k = 0; k * Potential.rotStep <= 180; k++) {
        for (int side : {1, -1}) {
            if (k == 0 && side < 0) continue;
            double a = goal + side * k * Potential.rotStep;
            if (std::fabs(Turn(current, a)) > Potential.maxRot + 1e-4) continue;
            double ux = std::cos(a * DEG) * stepSize, uy = -std::sin(a * DEG) * stepSize;
            bool free = true;
            int first, last;
            if (obstacles.StepsThatMayMeet(inst, ux, uy, ahead, &first, &last))
                for (int s = first; s <= last && free; s++) {
                    // A spent budget blocks whatever is left to look at.
                    free = --*tests >= 0 && !Blocked(inst, inst->x + ux * s, inst->y + uy * s, target, checkAll);
                }
            if (!free) continue;
            inst->SetPosition((float)(inst->x + ux), (float)(inst->y + uy));
            inst->direction = (float)std::fmod(a + 360.0, 360.0);
            return false;
        }
    }
    if (Potential.onSpot) inst->direction = (float)std::fmod(current + Potential.maxRot + 360.0, 360.0);
    return false;
}
}  // namespace

bool Motion_Linear_Step(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll)
{
    if (!inst || !Usable(inst, x, y, stepSize)) return inst && inst->x == x && inst->y == y;
    Near n = TryGoal(inst, x, y, stepSize, target, checkAll);
    if (n != Near::Far) return n == Near::Reached;
    double dx = (double)x - inst->x, dy = (double)y - inst->y, d = std::hypot(dx, dy);
    double nx = inst->x + dx / d * stepSize, ny = inst->y + dy / d * stepSize;
    if (!Blocked(inst, nx, ny, target, checkAll)) inst->SetPosition((float)nx, (float)ny);
    return false;
}

void Motion_Potential_Settings(float maxRot, float rotStep, float ahead, bool onSpot)
{
    auto atLeastOne = [](float v) { return std::isfinite(v) ? std::max(1.0f, v) : 1.0f; };
    Potential.maxRot = atLeastOne(maxRot);
    Potential.rotStep = atLeastOne(rotStep);
    Potential.ahead = atLeastOne(ahead);
    Potential.onSpot = onSpot;
}

bool Motion_Potential_Step(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll)
{
    int64_t tests = STEP_TESTS;
    return PotentialStep(inst, x, y, stepSize, target, checkAll, &tests);
}

bool Motion_Linear_Path(CInstance* inst, int path, float x, float y, float stepSize, int target, bool checkAll)
{
    if (!inst || !Usable(inst, x, y, stepSize)) return false;
    double d = std::hypot((double)x - inst->x, (double)y - inst->y);
    int budget = (int)std::min<double>(d / stepSize + 2, MAX_PATH_STEPS);
    return PlanPath(inst, path, budget, true, [&] { return Motion_Linear_Step(inst, x, y, stepSize, target, checkAll); });
}

bool Motion_Potential_Path(CInstance* inst, int path, float x, float y, float stepSize, float factor, int target,
                           bool checkAll)
{
    if (!inst || !Usable(inst, x, y, stepSize)) return false;
    double d = std::hypot((double)x - inst->x, (double)y - inst->y);
    double f = std::isfinite(factor) ? std::max(1.0f, factor) : 1.0;
    int budget = (int)std::min<double>(f * d / stepSize + 2, MAX_PATH_STEPS);
    int64_t tests = PATH_TESTS;
    return PlanPath(inst, path, budget, false, [&] {
        return tests > 0 && PotentialStep(inst, x, y, stepSize, target, checkAll, &tests);
    });
}
