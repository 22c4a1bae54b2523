#include "engine/sprite/GameTree.h"

#include <lua.hpp>

#include <vector>

#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/math/Matrix3x3.h"
#include "engine/script/Lua.h"

namespace ZQ2 {

const RTTI* const GameTree::rttis[] = {&GameNode::rtti, nullptr};
const RTTI GameTree::rtti("GameTree", GameTree::rttis);

namespace {

bool IsAncestorOrSelf(const GameNode* ancestor, const GameNode* node) {
    for (; node; node = node->GetParent()) {
        if (node == ancestor)
            return true;
    }
    return false;
}

// Linking a node into its own subtree would make a cycle every walk follows.
bool RefuseCycle(const GameNode* place, const GameNode* node) {
    if (!IsAncestorOrSelf(node, place))
        return false;
    Platform::OutputDebugStringFormat("GameTree: refused to link a node into its own subtree\n");
    return true;
}

struct GlobalJob {
    GameTree* m_pTree;
};

int PublishTree(lua_State* L) {
    auto* job = static_cast<GlobalJob*>(lua_touserdata(L, 1));
    lua_pushstring(L, "gameTree");
    job->m_pTree->PushLuaObject(L);
    lua_rawset(L, LUA_GLOBALSINDEX);
    return 0;
}

}  // namespace

GameTree::GameTree() : GameNode(std::string()) {
    lua_State* L = Lua::g_Instance ? Lua::g_Instance->GetState() : nullptr;
    if (!L || GetLuaReference() < 0)
        return;
    GlobalJob job{this};
    if (lua_cpcall(L, PublishTree, &job) != 0)
        lua_pop(L, 1);
}

GameTree::~GameTree() {
    if (g_Instance == this)
        g_Instance = nullptr;
}

void GameTree::PrepareNodeForInsertion(GameNode* node) {
    node->m_bObsolete = false;
    if (!node->m_pParent) {
        node->AddRef();
        return;
    }
    node->DetachFromParent();
}

GameNode* GameTree::LinkNodeUnder(GameNode* parent, GameNode* node) {
    if (!parent || !node || RefuseCycle(parent, node))
        return nullptr;
    PrepareNodeForInsertion(node);
    node->m_pParent = parent;
    if (!parent->m_pFirstChild) {
        parent->m_pFirstChild = node;
    } else {
        GameNode* last = parent->m_pFirstChild;
        while (last->m_pNextSibling)
            last = last->m_pNextSibling;
        last->m_pNextSibling = node;
    }
    node->SetObsolete(false);
    return node;
}

GameNode* GameTree::LinkNodeUnderAtFront(GameNode* parent, GameNode* node) {
    if (!parent || !node || RefuseCycle(parent, node))
        return nullptr;
    PrepareNodeForInsertion(node);
    node->m_pParent = parent;
    node->m_pNextSibling = parent->m_pFirstChild;
    parent->m_pFirstChild = node;
    return node;
}

GameNode* GameTree::LinkNodeAfter(GameNode* sibling, GameNode* node) {
    if (!sibling || !node || node == sibling || !sibling->m_pParent || RefuseCycle(sibling, node))
        return nullptr;
    if (sibling->m_pNextSibling == node)
        return node;
    PrepareNodeForInsertion(node);
    node->m_pParent = sibling->m_pParent;
    node->m_pNextSibling = sibling->m_pNextSibling;
    sibling->m_pNextSibling = node;
    return node;
}

GameNode* GameTree::LinkNodeBefore(GameNode* sibling, GameNode* node) {
    if (!sibling || !node || node == sibling || !sibling->m_pParent || RefuseCycle(sibling, node))
        return nullptr;
    GameNode* parent = sibling->m_pParent;
    if (node->m_pParent == parent && node->m_pNextSibling == sibling)
        return node;
    PrepareNodeForInsertion(node);
    node->m_pParent = parent;
    node->m_pNextSibling = sibling;
    if (parent->m_pFirstChild == sibling) {
        parent->m_pFirstChild = node;
    } else {
        GameNode* prev = parent->m_pFirstChild;
        while (prev->m_pNextSibling != sibling)
            prev = prev->m_pNextSibling;
        prev->m_pNextSibling = node;
    }
    return node;
}

void GameTree::RelocateGameNode(GameNode* newParent, GameNode* node, bool atFront) {
    if (!newParent || !node)
        return;
    // A refused link must not move the node either.
    if (RefuseCycle(newParent, node))
        return;
    // The node's position is a point of its parent's frame; carried into the
    // new parent's frame it keeps the picture where it is. (The node's own
    // screen origin would not do: a turned or scaled node's matrix moves its
    // origin about the pivot, and taking that for the position shifts it.)
    Matrix3x3 toScreen;
    node->BuildToGlobalTransformation(toScreen, nullptr, false);
    Matrix3x3 toNewParent;
    newParent->BuildToLocalTransformation(toNewParent, nullptr, true);
    const float position[3] = {node->GetX(), node->GetY(), 1.0f};
    float screen[3];
    toScreen.Multiply(position, screen);
    float local[3];
    toNewParent.Multiply(screen, local);
    node->SetX(local[0]);
    node->SetY(local[1]);
    if (atFront)
        LinkNodeUnderAtFront(newParent, node);
    else
        LinkNodeUnder(newParent, node);
}

void GameTree::UnlinkNode(GameNode* node) {
    if (!node)
        return;
    node->DetachFromParent();
    ReleaseChildren(node);
}

void GameTree::ReleaseSiblings(GameNode* node) {
    if (!node)
        return;
    // Cut the chain off where it hangs, so nothing points at released nodes.
    if (GameNode* parent = node->m_pParent) {
        if (parent->m_pFirstChild == node) {
            parent->m_pFirstChild = nullptr;
        } else if (GameNode* prev = GetSiblingBefore(node)) {
            prev->m_pNextSibling = nullptr;
        }
    }
    std::vector<GameNode*> chain;
    for (GameNode* s = node; s; s = s->m_pNextSibling)
        chain.push_back(s);
    for (GameNode* s : chain) {
        s->m_pParent = nullptr;
        s->m_pNextSibling = nullptr;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        (*it)->Release();
}

void GameTree::ReleaseChildren(GameNode* node) {
    if (node && node->m_pFirstChild)
        ReleaseSiblings(node->m_pFirstChild);
}

GameNode* GameTree::GetSiblingBefore(GameNode* node) {
    if (!node || !node->m_pParent)
        return nullptr;
    GameNode* prev = node->m_pParent->m_pFirstChild;
    if (prev == node)
        return nullptr;
    while (prev && prev->m_pNextSibling != node)
        prev = prev->m_pNextSibling;
    return prev;
}

bool GameTree::IsNodeInTree(GameNode* root, GameNode* node) {
    if (!root || !node)
        return false;
    // Same answer as searching the whole tree above root: node is in it
    // exactly when both climb to the same top.
    GameNode* top = root;
    while (top->m_pParent)
        top = top->m_pParent;
    return IsAncestorOrSelf(top, node);
}

bool GameTree::Traverse(GameNode* start, BaseObject* context, bool (*visit)(GameNode*, BaseObject*)) {
    if (!start || !visit)
        return false;
    BaseObject* argument = context ? context : start;
    GameNode* node = start;
    while (node) {
        if (visit(node, argument))
            return true;
        if (node->m_pFirstChild) {
            node = node->m_pFirstChild;
            continue;
        }
        while (node && node != start && !node->m_pNextSibling)
            node = node->m_pParent;
        node = (node && node != start) ? node->m_pNextSibling : nullptr;
    }
    return false;
}

GameNode* GameTree::GetNearestParentOfType(GameNode* node, const RTTI& type) {
    for (GameNode* p = node ? node->m_pParent : nullptr; p; p = p->m_pParent) {
        if (p->GetRTTI().DerivesFrom(type))
            return p;
    }
    return nullptr;
}

GameNode* GameTree::GetCommonParent(GameNode* a, GameNode* b) {
    for (GameNode* p = a; p; p = p->m_pParent) {
        if (IsAncestorOrSelf(p, b))
            return p;
    }
    return nullptr;
}

void GameTree::TickSubtree(GameNode* root, int deltaMs) {
    if (!root)
        return;
    // A callback may drop the last outside reference to root.
    const SmartPtr<GameNode> self(root->GetRefCount() > 0 ? root : nullptr);
    TickHeldSubtree(root, deltaMs);
}

void GameTree::TickHeldSubtree(GameNode* root, int deltaMs) {
    root->TickHeld(deltaMs);
    // Ticks may relink or drop nodes: the current and the next child are
    // held, and the current one's new sibling is followed when it stayed here.
    SmartPtr<GameNode> child(root->m_pFirstChild);
    while (child) {
        SmartPtr<GameNode> next(child->m_pNextSibling);
        if (!child->m_bObsolete && !child->m_bSuspended)
            TickHeldSubtree(child, deltaMs);
        if (child->m_pParent == root)
            next = child->m_pNextSibling;
        else if (next && next->m_pParent != root)
            break;
        child = next;
    }
}

}  // namespace ZQ2
