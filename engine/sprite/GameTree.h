#pragma once
// The root of everything on screen and the operations that link, move and
// release nodes. The tree holds one reference per linked node; a node that
// moves keeps it.
#include "engine/core/iInstance.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

class RTTI;

class GameTree : public GameNode, public iInstance<GameTree> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // An unnamed root; with a Lua state its table becomes the global "gameTree".
    GameTree();
    ~GameTree() override;

    const RTTI& GetRTTI() const override { return rtti; }

    // Clears the obsolete flag; a parentless node gets the tree's reference,
    // a linked one leaves its parent and keeps it.
    static void PrepareNodeForInsertion(GameNode* node);
    // Each returns node, or null when it refused (a null argument, or a link
    // that would put a node into its own subtree).
    static GameNode* LinkNodeUnder(GameNode* parent, GameNode* node);
    static GameNode* LinkNodeUnderAtFront(GameNode* parent, GameNode* node);
    // Next to a sibling under the same parent; nothing when already there.
    static GameNode* LinkNodeAfter(GameNode* sibling, GameNode* node);
    static GameNode* LinkNodeBefore(GameNode* sibling, GameNode* node);
    // Re-parents node without moving it on screen.
    static void RelocateGameNode(GameNode* newParent, GameNode* node, bool atFront);
    // Takes node out of its parent and releases node's children; node's own
    // reference is the caller's business.
    static void UnlinkNode(GameNode* node);
    // Releases node and every sibling after it, last first, clearing links.
    static void ReleaseSiblings(GameNode* node);
    static void ReleaseChildren(GameNode* node);

    static GameNode* GetSiblingBefore(GameNode* node);
    // Whether node is in the same tree as root.
    static bool IsNodeInTree(GameNode* root, GameNode* node);
    // Depth-first, pre-order from start; visit gets (node, context, or start
    // when context is null) and the first true answer ends the walk.
    static bool Traverse(GameNode* start, BaseObject* context, bool (*visit)(GameNode*, BaseObject*));
    static GameNode* GetNearestParentOfType(GameNode* node, const RTTI& type);
    // The nearest node that is an ancestor-or-self of both, or null.
    static GameNode* GetCommonParent(GameNode* a, GameNode* b);

    // One frame for a subtree: root's TickUpdate, then its children's in
    // order, leaving out obsolete and suspended children with everything
    // below them. root itself is always ticked.
    static void TickSubtree(GameNode* root, int deltaMs);

private:
    // TickSubtree under a counted reference to root that the caller holds.
    static void TickHeldSubtree(GameNode* root, int deltaMs);
};

}  // namespace ZQ2
