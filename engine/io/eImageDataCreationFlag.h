#pragma once
// How an image loader fills the image data it makes.

namespace ZQ2 {

enum eImageDataCreationFlag : unsigned int {
    // Only the alpha of the texture counts; the colour comes from the vertices.
    IMAGEDATA_CREATE_ALPHA_ONLY = 1,
    // Where the texture is larger than the frame, the frame's last column and
    // row are repeated once, so filtering at the edge never reads stray pixels.
    IMAGEDATA_CREATE_PADDING = 2,
};

}  // namespace ZQ2
