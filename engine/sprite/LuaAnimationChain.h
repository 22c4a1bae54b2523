#pragma once
// Where script-built animations are linked: one chain for the whole program.
// Each step hangs under the last modifier of the step before, so it starts
// when that one ends; inside a group every step hangs side by side, and the
// group's end waits for its longest member.
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class GameNode;

class LuaAnimationChain {
public:
    // The container new chains are linked under.
    using ContainerSource = Modifier* (*)();

    // Until scenes own an animation container each, new chains go under the
    // animation tree's root; the scene manager installs its current scene's.
    static void SetContainerSource(ContainerSource source);
    static Modifier* GetContainer();

    // Step number 1 starts a new chain; so does any step whose chain has
    // left the tree meanwhile (finished and purged, or made obsolete).
    static void BeginStep(bool first);
    // A step's modifiers, in the order the step makes them. Returns m when
    // it was linked; m is destroyed otherwise.
    static Modifier* Link(Modifier* m, GameNode* client, int durationMs);
    // The step's last modifier (if any) is what the next step waits for.
    static void EndStep(Modifier* last);

    static void BeginGroup();
    // Links the group's closing wait, which the next step waits for.
    static void EndGroup(GameNode* client);

    static Modifier* GetParent();
    static bool IsInGroup();
    // Forgets the chain and any open group.
    static void Reset();

private:
    static void NewChain();
    static bool EnsureParent();
};

}  // namespace ZQ2
