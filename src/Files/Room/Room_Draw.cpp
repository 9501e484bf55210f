#include "Room/Room_Draw.h"

#include "Room/Background_Room.h"
#include "Variable/Arguments.h"
#include "Graphics_API/DrawRegion.h"
#include "Graphics/Graphics3D.h"
#include "Graphics_API/GR_Batch.h"
#include "Graphics_API/GR_Device.h"
#include "Object/Event_Main.h"
#include "Object/Instance_Class.h"
#include "Object/Object_Class.h"
#include "Particle/Particle_Main.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Room/View.h"
#include "Sprite/Sprite_Class.h"
#include "Sprite/Sprite_Main.h"
#include "IO/Window.h"

#include <algorithm>
#include <cmath>
#include <vector>


namespace {
// 0xBBGGRR to the device's opaque 0xAARRGGBB.
uint32_t DeviceColour(uint32_t bgr)
{
    return 0xFF000000u | (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

void DrawInstance(CInstance* inst, CEventLookup& draw)
{
    if (draw.For(inst).event) Event_Perform_Instance(inst, inst, EVENT_DRAW, 0);
    else if (const CSprite* sprite = Sprite_Get(inst->sprite_index))
        sprite->DrawExt(RealToInt(std::floor(inst->image_index)), inst->x, inst->y, inst->image_xscale,
                        inst->image_yscale, inst->image_angle, (uint32_t)inst->image_blend, inst->image_alpha);
}

// In 3D mode what the room draws lies at its depth, in front of the background layers (12000) and
// behind the foreground layers (-12000); outside it everything lies at 0.
void SetDepth(float depth)
{
    Graphics3D_SetDepth(std::min(depth, 11000.0f));
}

void DrawTile(const RoomTile& tile)
{
    SetDepth(tile.depth);
    Background_DrawTile(tile);
}

// The active list (ascending depth) from the greatest depth to the least; instances of one depth
// keep their list order, so that the later of two lies on top.
std::vector<CInstance*> DrawOrder(const std::vector<CInstance*>& active)
{
    std::vector<CInstance*> order;
    order.reserve(active.size());
    size_t end = active.size();
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && active[start - 1]->depth == active[end - 1]->depth) start--;
        order.insert(order.end(), active.begin() + (long)start, active.begin() + (long)end);
        end = start;
    }
    return order;
}

// Instances, tiles and particle systems merged by depth, greatest first; tiles and systems go
// before instances of their depth, a tile before a system of its depth. The tiles are copied as
// the pass begins: a draw event may add or delete tiles, which moves the room's own.
void DrawContents(CRoom* room, bool device)
{
    std::vector<RoomTile> tiles;
    float systems = -1e9f;  // the depth of the next particle systems
    if (device) {
        for (const RoomTile& t : room->tiles)
            if (t.visible) tiles.push_back(t);
        std::stable_sort(tiles.begin(), tiles.end(), [](const RoomTile& a, const RoomTile& b) { return a.depth > b.depth; });
        systems = ParticleSystems_MaxDepth();
    }
    size_t t = 0;
    // What lies deeper than an instance of this depth.
    auto drawDeeper = [&](float depth) {
        for (;;) {
            bool tile = t < tiles.size() && tiles[t].depth >= depth;
            if (tile && !(systems > tiles[t].depth)) {
                DrawTile(tiles[t++]);
            } else if (systems > depth && systems > -1e8f) {
                SetDepth(systems);
                ParticleSystems_DrawAtDepth(systems);
                systems = ParticleSystems_NextDepthBelow(systems);
            } else {
                break;
            }
        }
    };
    int64_t stamp = Event_BeginPass();
    std::vector<CInstance*> list = DrawOrder(room->active.Snapshot());
    CEventLookup draw(EVENT_DRAW, 0);
    CInstance* const* items = list.data();
    for (size_t i = 0, count = list.size(); i < count; i++) {
        Instance_Prefetch(items, count, i);
        CInstance* inst = items[i];
        if (Room_ChangePending()) return;
        drawDeeper(inst->depth);
        if (inst->visible && Event_InPass(inst, stamp)) {
            SetDepth(inst->depth);
            DrawInstance(inst, draw);
        }
    }
    drawDeeper(-1e8f);
    for (; t < tiles.size(); t++) DrawTile(tiles[t]);
}

void DrawView(CRoom* room, bool device, float x, float y, float w, float h, float angle)
{
    // A turned view sees the room rectangle that holds the turned view rectangle.
    double a = angle * M_PI / 180.0, cx = x + w / 2.0, cy = y + h / 2.0;
    double hw = std::fabs(w / 2.0 * std::cos(a)) + std::fabs(h / 2.0 * std::sin(a));
    double hh = std::fabs(w / 2.0 * std::sin(a)) + std::fabs(h / 2.0 * std::cos(a));
    float left = (float)(cx - hw), top = (float)(cy - hh), width = (float)(2 * hw), height = (float)(2 * hh);
    DrawRegion = {RealToInt(std::floor(left)), RealToInt(std::floor(top)), RealToInt(std::ceil(left + width)),
                  RealToInt(std::ceil(top + height))};
    if (device) {
        GR_D3D_Set_Projection_View(x, y, w, h, angle, Graphics3D_Mode && GR_D3D_Get_Perspective());
        if (room->show_colour) Graphics::Clear(DeviceColour(room->colour), 1, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH);
        else Graphics::Clear(0, 1, 0, Graphics::CLEAR_DEPTH);
    }
    Graphics3D_SetDepth(12000);
    if (device) Background_DrawLayers(*room, false, left, top, width, height);
    DrawContents(room, device);
    Graphics3D_SetDepth(-12000);
    if (device && !Room_ChangePending()) Background_DrawLayers(*room, true, left, top, width, height);
    Graphics3D_SetDepth(-13000);
}
}

void Room_Draw(CRoom* room)
{
    if (!room || Room_ChangePending()) return;
    room->FollowViews();
    bool device = GR_D3D_HasDevice() && SurfaceTarget < 0;
    int bw = device ? GR_D3D_Get_Backbuffer_Width() : room->width;
    int bh = device ? GR_D3D_Get_Backbuffer_Height() : room->height;
    if (!room->enable_views) {
        view_current = 0;
        if (device) GR_D3D_Set_Viewport(0, 0, bw, bh);
        DrawView(room, device, 0, 0, (float)room->width, (float)room->height, 0);
        return;
    }
    if (device) {
        // Outside the ports the window shows its own colour.
        GR_D3D_Set_Viewport(0, 0, bw, bh);
        Graphics::Clear(DeviceColour(Window_GetColor()), 1, 0, Graphics::CLEAR_COLOR | Graphics::CLEAR_DEPTH);
    }
    for (int v = 0; v < ROOM_SLOTS && !Room_ChangePending(); v++) {
        const RoomView& view = room->views[v];
        if (!view.visible || view.wview == 0 || view.hview == 0 || view.wport <= 0 || view.hport <= 0) continue;
        view_current = v;
        if (device) GR_D3D_Set_Viewport(view.xport, view.yport, view.wport, view.hport);
        DrawView(room, device, (float)view.xview, (float)view.yview, (float)view.wview, (float)view.hview, view.angle);
    }
    view_current = 0;
    if (device) GR_D3D_Set_Viewport(0, 0, bw, bh);
}
