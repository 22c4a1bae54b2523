// The game's scene-graph helpers keep what is seen where it was.
#include "source/utils/Utils.h"

#include <gtest/gtest.h>

#include "engine/core/SmartPtr.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

TEST(GameUtils, ARelocatedNodeStaysInPlaceOnScreen) {
    SmartPtr<GameNode> root(new GameNode("root"));
    auto* from = new GameNode("from");
    auto* to = new GameNode("to");
    auto* node = new GameNode("node");
    GameTree::LinkNodeUnder(root, from);
    GameTree::LinkNodeUnder(root, to);
    GameTree::LinkNodeUnder(from, node);
    from->SetLocation(10.0f, 20.0f);
    to->SetLocation(100.0f, 5.0f);
    node->SetLocation(3.0f, 4.0f);

    Utils::RelocateGameNode(to, node);
    EXPECT_EQ(node->GetParent(), to);
    EXPECT_FLOAT_EQ(node->GetScreenX(), 13.0f);
    EXPECT_FLOAT_EQ(node->GetScreenY(), 24.0f);
    EXPECT_FLOAT_EQ(node->GetX(), -87.0f);
    EXPECT_FLOAT_EQ(node->GetY(), 19.0f);
}

TEST(GameUtils, ARelocatedAnchorKeepsThePictureInPlace) {
    SmartPtr<Sprite> sprite(new Sprite(50.0f, 60.0f, 41.0f, 21.0f));
    Utils::RelocateAnchorPoint(sprite, ANCHOR_CENTER);
    EXPECT_FLOAT_EQ(sprite->GetX(), 70.0f);
    EXPECT_FLOAT_EQ(sprite->GetY(), 70.0f);
    Utils::RelocateAnchorPoint(sprite, ANCHOR_TOPLEFT);
    EXPECT_FLOAT_EQ(sprite->GetX(), 50.0f);
    EXPECT_FLOAT_EQ(sprite->GetY(), 60.0f);
}
