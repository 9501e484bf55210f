// What the device-independent half of the graphics layer asks of the device half.
#pragma once
#include <cstdint>

struct GR_DeviceTexture;
struct GR_DeviceBuffer;

// A texture of 8-bit RGBA pixels (rows top first; null pixels leave it transparent); null when
// there is no device or the size is beyond the device.
GR_DeviceTexture* GRB_Texture_Create(int width, int height, const uint8_t* rgba);
void GRB_Texture_Destroy(GR_DeviceTexture* texture);
void GRB_Texture_Set_Priority(GR_DeviceTexture* texture, float priority);
int GRB_Max_Texture_Size();  // 0 without a device
// Draws count vertices of a primitive kind with the stage-0 sampling state of GR_Texture.h.
void GRB_Draw(int kind, GR_DeviceTexture* texture, int stride, const void* vertices, int count);
// Draws quads x 4 vertices as GR_Batch_Reserve_Quads lays them out (quads at most
// GR_BATCH_MAX_QUADS).
void GRB_Draw_Quads(GR_DeviceTexture* texture, int stride, const void* vertices, int quads);

// Has the device start on what it was given without waiting for it to finish.
void GRB_Submit();

// A vertex buffer on the device holding a copy of the bytes; null without a device or when the
// device refuses one.
GR_DeviceBuffer* GRB_Buffer_Create(const void* bytes, int64_t size);
// False once the device it was made on is gone: it must be made again.
bool GRB_Buffer_Usable(const GR_DeviceBuffer* buffer);
void GRB_Buffer_Destroy(GR_DeviceBuffer* buffer);
// As GRB_Draw with the vertices taken from the buffer; nothing when they do not fit in it.
void GRB_Draw_Buffer(int kind, GR_DeviceTexture* texture, int stride, const GR_DeviceBuffer* buffer, int count);
