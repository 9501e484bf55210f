// Moving instances with regard to others: snapping, contact, bounce and wrap; the linear and
// potential-field planners; motion grids with their paths of fewest moves (see docs/motion.md).
#pragma once

class CInstance;

// Rounds x to a multiple of hsnap and y to one of vsnap; 0 or less leaves that axis.
void Instance_MoveSnap(CInstance* inst, float hsnap, float vsnap);
// Aims the motion at the point with that speed (no motion when the instance stands on it).
void Instance_MoveTowardsPoint(CInstance* inst, float x, float y, float speed);
// One pixel at a time along direction until the next pixel would meet an instance (solid ones
// only when solidOnly), at most the whole pixels of maxDist; nothing when the instance meets one
// already. maxDist <= 0 means 1000.
void Instance_MoveContact(CInstance* inst, float direction, float maxDist, bool solidOnly);
// One pixel at a time along direction while the instance meets one, at most maxDist (<= 0: 1000).
void Instance_MoveOutside(CInstance* inst, float direction, float maxDist, bool solidOnly);
// Reverses the motion where the next position meets an instance: per axis, or (advanced) by
// reflecting it off the surface found by trying directions in 10-degree steps.
void Instance_Bounce(CInstance* inst, bool advanced, bool solidOnly);
// Wraps the position across the room's sides.
void Instance_MoveWrap(CInstance* inst, bool hor, bool vert, float margin);

// One step of stepSize towards the goal around instances of the target (-3 all, an object or an
// id); only solid ones block unless checkAll. True when the goal is reached.
bool Motion_Linear_Step(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll);
bool Motion_Potential_Step(CInstance* inst, float x, float y, float stepSize, int target, bool checkAll);
// Potential-field settings, kept as given: the largest turn of one step, the turn increment, the
// steps looked ahead (each raised to at least 1) and whether a blocked instance turns on the spot.
void Motion_Potential_Settings(float maxRot, float rotStep, float ahead, bool onSpot);
// Fills the path with the planner's steps from the instance to the goal (the instance does not
// move); true when the path reaches the goal. The potential planner gives up after factor times
// the straight distance.
bool Motion_Linear_Path(CInstance* inst, int path, float x, float y, float stepSize, int target, bool checkAll);
bool Motion_Potential_Path(CInstance* inst, int path, float x, float y, float stepSize, float factor, int target,
                           bool checkAll);

// Motion grids: cells free or blocked over a room area. Ids are small integers; every operation
// on an id naming no grid reports "Grid does not exist." and does nothing.
int Motion_Grid_Create(int left, int top, int hcells, int vcells, int cellWidth, int cellHeight);  // -1 on error
void Motion_Grid_Destroy(int id);
void Motion_Grid_DestroyAll();
void Motion_Grid_ClearAll(int id);
void Motion_Grid_ClearCell(int id, int h, int v);
void Motion_Grid_ClearRectangle(int id, int x1, int y1, int x2, int y2);
void Motion_Grid_AddCell(int id, int h, int v);
void Motion_Grid_AddRectangle(int id, int x1, int y1, int x2, int y2);
// Blocks every cell the instance's shape overlaps.
void Motion_Grid_AddInstance(int id, CInstance* inst, bool precise);
// Whether cell (h, v) is blocked; -1 for a missing grid or a cell outside it.
int Motion_Grid_GetCell(int id, int h, int v);
// The path of fewest moves over free cells from the start's cell to the goal's cell into the path
// (cell centres between the exact start and goal points); false, the path untouched, when either
// end is outside the grid or blocked or no path exists.
bool Motion_Grid_Path(int id, int path, float xstart, float ystart, float xgoal, float ygoal, bool diagonal);
// Draws every cell of the grid: free ones green, blocked ones red.
void Motion_Grid_Draw(int id);
