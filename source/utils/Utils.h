#pragma once
// Small scene-graph helpers of the game: moving a node or an anchor without
// moving what is seen on screen, and chaining animation steps.
#include "engine/math/AnchorPoint.h"

namespace ZQ2 {
class GameNode;
class Modifier;
class Sprite;
}  // namespace ZQ2

namespace Utils {

// Links node under newParent, keeping its place on screen.
void RelocateGameNode(ZQ2::GameNode* newParent, ZQ2::GameNode* node);
// Changes the sprite's anchor, keeping its picture in place (to whole pixels).
void RelocateAnchorPoint(ZQ2::Sprite* sprite, ZQ2::eAnchorPoint anchor);
// Marks the modifier blocking, so that the step after it waits for its end;
// gives the modifier back.
ZQ2::Modifier* Blocking(ZQ2::Modifier* modifier);

}  // namespace Utils
