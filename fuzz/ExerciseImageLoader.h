#pragma once
// The run both picture fuzzers share: a loader fed arbitrary bytes reports
// the size and cuts frames in a grid (plain, alpha-only and padded, by the
// input's length).
#include <cstddef>
#include <cstdint>

#include "engine/graphics/iImageLoader.h"

inline void ExerciseImageLoader(ZQ2::iImageLoader& loader, const uint8_t* data, size_t size, const char* name) {
    loader.SetDrawSettings(size ? data : nullptr, static_cast<int>(size), name, static_cast<unsigned>(size % 4));
    int width = 0;
    int height = 0;
    loader.GetImageDimensions(width, height);
    loader.SetFrameCount(1 + static_cast<int>(size % 3));
    loader.SetColumnCount(1 + static_cast<int>(size % 2));
    loader.Load();
}
