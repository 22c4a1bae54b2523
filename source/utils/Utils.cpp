#include "source/utils/Utils.h"

#include <cmath>

#include "engine/modifier/Modifier.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"

namespace Utils {

void RelocateGameNode(ZQ2::GameNode* newParent, ZQ2::GameNode* node) {
    if (!newParent || !node)
        return;
    node->SetX(node->GetScreenX() - newParent->GetScreenX());
    node->SetY(node->GetScreenY() - newParent->GetScreenY());
    ZQ2::GameTree::LinkNodeUnder(newParent, node);
}

void RelocateAnchorPoint(ZQ2::Sprite* sprite, ZQ2::eAnchorPoint anchor) {
    if (!sprite)
        return;
    const float oldX = sprite->GetAnchorPointX();
    const float oldY = sprite->GetAnchorPointY();
    sprite->SetAnchorPoint(anchor);
    sprite->SetX(sprite->GetX() + (std::trunc(sprite->GetAnchorPointX()) - std::trunc(oldX)));
    sprite->SetY(sprite->GetY() + (std::trunc(sprite->GetAnchorPointY()) - std::trunc(oldY)));
}

ZQ2::Modifier* Blocking(ZQ2::Modifier* modifier) {
    modifier->m_nOptions |= ZQ2::Modifier::OPTION_BLOCKING;
    return modifier;
}

}  // namespace Utils
