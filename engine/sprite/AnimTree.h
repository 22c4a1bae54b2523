#pragma once
// The shared tree of chained and grouped animations. Siblings run side by
// side; a modifier's children start in the frame in which it is done. The
// tree holds one reference per linked modifier; the tick task walks it after
// the game tree and the purge task retires what is finished or obsolete.
#include "engine/core/iInstance.h"
#include "engine/modifier/ModifierContainer.h"

namespace ZQ2 {

class GameNode;
class RTTI;

class AnimTree : public ModifierContainer, public iInstance<AnimTree> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    AnimTree();
    ~AnimTree() override;

    const RTTI& GetRTTI() const override { return rtti; }
    // The root is never retired.
    bool IsDone() const override { return false; }

    // The modifier most recently linked by any link operation (null once it
    // is destroyed); sprite helpers chain the next step onto it.
    static Modifier* m_PreviousTreeNode;
    // Done modifiers are retired only while this is on.
    static bool m_AutoDeleteModifiers;

    // Marks m as a tree node; an unlinked m gets the tree's reference, a
    // linked one leaves its place and its client's list and keeps it.
    static void PrepareNodeForInsertion(Modifier* m);
    // Each returns m. The forms with a node make it m's client first.
    static Modifier* LinkNodeUnder(Modifier* parent, Modifier* m);
    static Modifier* LinkNodeUnder(Modifier* parent, Modifier* m, GameNode* client);
    static Modifier* LinkNodeBefore(Modifier* sibling, Modifier* m);
    static Modifier* LinkNodeBefore(Modifier* sibling, Modifier* m, GameNode* client);
    static Modifier* LinkNodeAfter(Modifier* sibling, Modifier* m);
    static Modifier* LinkNodeAfter(Modifier* sibling, Modifier* m, GameNode* client);

    // Marks m obsolete; the purge removes it with its subtree.
    static void RemoveNode(Modifier* m);
    // m's children take its place among its siblings, then m is released.
    // Returns m's former next sibling.
    static Modifier* RemoveOnlyThisNode(Modifier* m, bool removeFromClient);
    // Takes m out of its parent and its client's list and releases its
    // children; m's own reference is the caller's business.
    static void UnlinkNode(Modifier* m);
    // Releases m and every sibling after it, last first, clearing their links.
    static void ReleaseSiblings(Modifier* m);
    static void ReleaseChildren(Modifier* m);

    static bool IsNodeInTree(Modifier* root, Modifier* m);
    static Modifier* GetNearestParentOfType(Modifier* m, const RTTI& type);
    // Ends, then makes obsolete, every descendant of m still running.
    static void FinishAllChildAnimations(Modifier* m);

    // One frame of the walk from root: every running modifier gets the whole
    // frame time, and the children of one that is done start at once.
    static void VisitAnimTree(Modifier* root, int deltaMs);
    void VisitAnimTree(int deltaMs) { VisitAnimTree(this, deltaMs); }
    // Post-order: releases obsolete modifiers and retires done ones.
    static void PurgeAnimTree(Modifier* m);
    void PurgeAnimTree() { PurgeAnimTree(this); }

private:
    class Leavers;

    static void Detach(Modifier* m);
    static void PurgeSubtree(Modifier* m, Leavers& leavers);
    static void RetireModifier(Modifier* m, Leavers& leavers);
};

}  // namespace ZQ2
