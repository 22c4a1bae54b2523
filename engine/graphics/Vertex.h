#pragma once
// One corner as the drawing context writes it into the shared vertex buffer.
#include <cstdint>

namespace ZQ2 {

struct Vertex {
    float x;
    float y;
    float z;  // always 0
    float w;  // always 1
    uint32_t color;  // ARGB, alpha in the top byte
    float u;  // 0 to 1 across the texture
    float v;
};

static_assert(sizeof(Vertex) == 28, "the vertex record is 28 bytes");

}  // namespace ZQ2
