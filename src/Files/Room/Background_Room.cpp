#include "Room/Background_Room.h"
#include "Background/Background_Main.h"
#include "Room/Room_Class.h"

void Background_DrawLayer(const RoomBackground& slot, float left, float top, float width, float height)
{
    const CBackground* background = slot.visible ? Background_Get(slot.index) : nullptr;
    if (!background) return;
    background->DrawTiled(slot.x, slot.y, slot.xscale, slot.yscale, slot.htiled, slot.vtiled, left, top, width, height,
                          slot.blend, slot.alpha);
}

void Background_DrawLayers(const CRoom& room, bool foreground, float left, float top, float width, float height)
{
    for (const RoomBackground& slot : room.backgrounds)
        if (slot.foreground == foreground) Background_DrawLayer(slot, left, top, width, height);
}

void Background_DrawTile(const RoomTile& tile)
{
    const CBackground* background = tile.visible ? Background_Get(tile.background) : nullptr;
    if (!background) return;
    background->DrawPart((float)tile.left, (float)tile.top, (float)tile.width, (float)tile.height, tile.x, tile.y,
                         tile.xscale, tile.yscale, tile.blend, tile.alpha);
}
