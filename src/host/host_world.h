// Effect worlds: the host's description of a block of pixels (input layers and the output).
#pragma once

#include "host/host_types.h"

#pragma pack(push, 8)

// A pixel buffer the host lends to the effect. Also the value of a layer parameter.
//
// Row y starts at (char*)data + y * rowbytes; rowbytes may exceed width * pixel size (and is a
// signed 32-bit value, so widen before multiplying). Pixels are PF_Pixel8, PF_Pixel16 or
// PF_PixelFloat depending on the world's pixel format (ask PF_WorldSuite2::PF_GetPixelFormat).
struct PF_LayerDef {
    void* reserved0;
    void* reserved1;
    PF_WorldFlags world_flags;
    void* data; // first pixel of row 0 (PF_PixelPtr)
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_UnionableRect extent_hint;
    void* platform_ref;
    A_long reserved_long1;
    void* reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void* reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
    A_long dephault; // layer parameters: PF_LayerDefault_MYSELF or PF_LayerDefault_NONE
};

typedef PF_LayerDef PF_EffectWorld;

#pragma pack(pop)
