// What resource drawing reads of the drawing state.
#pragma once

// The region being drawn, in room coordinates: room drawing sets it to the view or room it draws;
// sprite drawing culls against it.
struct TDrawRegion {
    int left, top, right, bottom;
};
extern TDrawRegion DrawRegion;
// The 3D mode (d3d_start to d3d_end), which 3D drawing sets.
extern bool Graphics3D_Mode;
