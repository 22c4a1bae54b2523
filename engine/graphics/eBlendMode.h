#pragma once
// How a drawn colour combines with what is already in the target.

namespace ZQ2 {

enum eBlendMode : int {
    BLENDMODE_BLEND = 0,     // source alpha over destination
    BLENDMODE_ADDITIVE = 1,  // source times alpha added to destination
    BLENDMODE_MULTIPLY = 2,  // source times destination colour
    BLENDMODE_REPLACE = 3,
    // Replaces too; the drawing context asks for blending with it only
    // while alpha is below 255.
    BLENDMODE_REPLACE_OPAQUE = 4,
    // As BLENDMODE_BLEND for colour; the destination keeps the larger alpha
    // where the card blends alpha separately.
    BLENDMODE_BLEND_MAX_ALPHA = 5,
    BLENDMODE_ALPHA_ONLY = 6,  // colour stays, alpha is the source's
};

}  // namespace ZQ2
