#include "engine/sprite/LuaAnimationChain.h"

#include <algorithm>

#include "engine/core/SmartPtr.h"
#include "engine/framework/AnimTree.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"

namespace ZQ2 {

namespace {

const char* const kChainName = "Lua animations";
const char* const kGroupEndName = "endSimultaneousAnimation";

Modifier* TreeRoot() { return AnimTree::g_Instance; }

// Counted: the tree retires finished modifiers while scripts still chain
// onto them.
struct ChainState {
    SmartPtr<Modifier> m_spParent;
    SmartPtr<Modifier> m_spSibling;
    bool m_bSimultaneous = false;
    int m_nLongestDuration = 0;
    LuaAnimationChain::ContainerSource m_pSource = TreeRoot;
};

// Never destroyed: what it holds must not outlive the tree at exit.
ChainState& State() {
    static ChainState* state = new ChainState();
    return *state;
}

bool IsLinked(const Modifier* m) { return m && m->IsInAnimTree() && !m->IsObsolete(); }

}  // namespace

void LuaAnimationChain::SetContainerSource(ContainerSource source) { State().m_pSource = source ? source : TreeRoot; }

Modifier* LuaAnimationChain::GetContainer() { return State().m_pSource(); }

Modifier* LuaAnimationChain::GetParent() { return State().m_spParent.Get(); }

bool LuaAnimationChain::IsInGroup() { return State().m_bSimultaneous; }

void LuaAnimationChain::Reset() {
    ChainState& state = State();
    state.m_spParent = nullptr;
    state.m_spSibling = nullptr;
    state.m_bSimultaneous = false;
    state.m_nLongestDuration = 0;
}

void LuaAnimationChain::NewChain() {
    ChainState& state = State();
    state.m_spParent = nullptr;
    Modifier* container = GetContainer();
    if (!container)
        return;
    SmartPtr<Modifier> chain(new ModifierContainer(kChainName, true));
    if (AnimTree::LinkNodeUnder(container, chain.Get()))
        state.m_spParent = chain;
}

bool LuaAnimationChain::EnsureParent() {
    if (!IsLinked(State().m_spParent.Get()))
        NewChain();
    return State().m_spParent;
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
    if (state.m_bSimultaneous && IsLinked(state.m_spSibling.Get()))
        linked = AnimTree::LinkNodeAfter(state.m_spSibling.Get(), m, client);
    else
        linked = AnimTree::LinkNodeUnder(state.m_spParent.Get(), m, client);
    if (!linked)
        return nullptr;
    if (state.m_bSimultaneous) {
        state.m_spSibling = m;
        state.m_nLongestDuration = std::max(state.m_nLongestDuration, durationMs);
    }
    return m;
}

void LuaAnimationChain::EndStep(Modifier* last) {
    // Inside a group the members hang side by side after the sibling; the
    // group's parent stays what a member falls back to.
    if (last && !State().m_bSimultaneous)
        State().m_spParent = last;
}

void LuaAnimationChain::BeginGroup() {
    ChainState& state = State();
    state.m_bSimultaneous = true;
    state.m_spSibling = nullptr;
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
    state.m_spSibling = nullptr;
    state.m_nLongestDuration = 0;
    EndStep(linked);
}

}  // namespace ZQ2
