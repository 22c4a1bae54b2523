#include "engine/sprite/LuaAnimationChain.h"

#include <algorithm>

#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/sprite/AnimTree.h"

namespace ZQ2 {

namespace {

const char* const kChainName = "Lua animations";
const char* const kGroupEndName = "endSimultaneousAnimation";

Modifier* TreeRoot() { return AnimTree::g_Instance; }

// The tree retires finished modifiers while scripts may still chain onto
// them: the links forget a modifier when it is destroyed, and one that has
// left the tree is not linked under. They hold no reference, so that a
// finished chain keeps nothing alive (its steps hold their sprites).
struct ChainState {
    ChainState() {
        Modifier::ClearOnDestruction(&m_pParent);
        Modifier::ClearOnDestruction(&m_pSibling);
    }
    Modifier* m_pParent = nullptr;
    Modifier* m_pSibling = nullptr;
    bool m_bSimultaneous = false;
    int m_nLongestDuration = 0;
    LuaAnimationChain::ContainerSource m_pSource = TreeRoot;
};

// Never destroyed: modifiers destroyed at exit still clear its links.
ChainState& State() {
    static ChainState* state = new ChainState();
    return *state;
}

bool IsLinked(const Modifier* m) { return m && m->IsInAnimTree() && !m->IsObsolete(); }

}  // namespace

void LuaAnimationChain::SetContainerSource(ContainerSource source) { State().m_pSource = source ? source : TreeRoot; }

Modifier* LuaAnimationChain::GetContainer() { return State().m_pSource(); }

Modifier* LuaAnimationChain::GetParent() { return State().m_pParent; }

bool LuaAnimationChain::IsInGroup() { return State().m_bSimultaneous; }

void LuaAnimationChain::Reset() {
    ChainState& state = State();
    state.m_pParent = nullptr;
    state.m_pSibling = nullptr;
    state.m_bSimultaneous = false;
    state.m_nLongestDuration = 0;
}

void LuaAnimationChain::NewChain() {
    ChainState& state = State();
    state.m_pParent = nullptr;
    Modifier* container = GetContainer();
    if (!container)
        return;
    SmartPtr<Modifier> chain(new ModifierContainer(kChainName, true));
    if (AnimTree::LinkNodeUnder(container, chain.Get()))
        state.m_pParent = chain.Get();
}

bool LuaAnimationChain::EnsureParent() {
    if (!IsLinked(State().m_pParent))
        NewChain();
    return State().m_pParent != nullptr;
}

void LuaAnimationChain::BeginStep(bool first) {
    if (first)
        NewChain();
}

Modifier* LuaAnimationChain::Link(Modifier* m, GameNode* client, int durationMs) {
    SmartPtr<Modifier> hold(m);
    if (!m || !EnsureParent())
        return nullptr;
    ChainState& state = State();
    Modifier* linked = nullptr;
    if (state.m_bSimultaneous && IsLinked(state.m_pSibling))
        linked = AnimTree::LinkNodeAfter(state.m_pSibling, m, client);
    else
        linked = AnimTree::LinkNodeUnder(state.m_pParent, m, client);
    if (!linked)
        return nullptr;
    if (state.m_bSimultaneous) {
        state.m_pSibling = m;
        state.m_nLongestDuration = std::max(state.m_nLongestDuration, durationMs);
    }
    return m;
}

void LuaAnimationChain::EndStep(Modifier* last) {
    // Inside a group the members hang side by side after the sibling; the
    // group's parent stays what a member falls back to.
    if (last && !State().m_bSimultaneous)
        State().m_pParent = last;
}

void LuaAnimationChain::BeginGroup() {
    ChainState& state = State();
    state.m_bSimultaneous = true;
    state.m_pSibling = nullptr;
    state.m_nLongestDuration = 0;
}

void LuaAnimationChain::EndGroup(GameNode* client) {
    ChainState& state = State();
    auto* wait = new ModifierDelay(state.m_nLongestDuration);
    wait->SetName(kGroupEndName);
    // Linked as a member: after the sibling, or under the parent when the
    // group linked nothing.
    state.m_bSimultaneous = true;
    Modifier* linked = Link(wait, client, 0);
    state.m_bSimultaneous = false;
    state.m_pSibling = nullptr;
    state.m_nLongestDuration = 0;
    EndStep(linked);
}

}  // namespace ZQ2
