#include "engine/sprite/AnimTree.h"

#include <unordered_set>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const AnimTree::rttis[] = {&ModifierContainer::rtti, nullptr};
const RTTI AnimTree::rtti("AnimTree", AnimTree::rttis);

Modifier* AnimTree::m_PreviousTreeNode = nullptr;
bool AnimTree::m_AutoDeleteModifiers = true;

namespace {

bool IsAncestorOrSelf(const Modifier* ancestor, const Modifier* m) {
    for (; m; m = m->GetParent()) {
        if (m == ancestor)
            return true;
    }
    return false;
}

// Linking a modifier under itself or its own subtree would make a cycle
// that every walk follows for ever.
bool RefuseCycle(const Modifier* place, const Modifier* m) {
    if (!IsAncestorOrSelf(m, place))
        return false;
    Platform::OutputDebugStringFormat("AnimTree: refused to link a modifier into its own subtree\n");
    return true;
}

}  // namespace

AnimTree::AnimTree() : ModifierContainer("Animation Tree", false) { SetInAnimTree(true); }

AnimTree::~AnimTree() {
    if (g_Instance == this)
        g_Instance = nullptr;
    ReleaseChildren(this);
}

void AnimTree::Detach(Modifier* m) {
    Modifier* parent = m->m_pParent;
    if (parent) {
        Modifier* prev = nullptr;
        if (parent->m_pFirstChild == m) {
            parent->m_pFirstChild = m->m_pNextSibling;
        } else {
            prev = parent->m_pFirstChild;
            while (prev && prev->m_pNextSibling != m)
                prev = prev->m_pNextSibling;
            if (prev)
                prev->m_pNextSibling = m->m_pNextSibling;
        }
        if (parent->m_pLastChild == m)
            parent->m_pLastChild = prev;
    }
    m->m_pParent = nullptr;
    m->m_pNextSibling = nullptr;
}

void AnimTree::PrepareNodeForInsertion(Modifier* m) {
    m->m_bInAnimTree = true;
    if (!m->m_pParent) {
        m->AddRef();
        return;
    }
    Detach(m);
    if (m->m_pClient)
        m->m_pClient->RemoveAnimTreeModifier(m, false);
}

Modifier* AnimTree::LinkNodeUnder(Modifier* parent, Modifier* m) {
    if (!parent || !m || RefuseCycle(parent, m))
        return nullptr;
    PrepareNodeForInsertion(m);
    m->m_pParent = parent;
    if (!parent->m_pFirstChild)
        parent->m_pFirstChild = m;
    else
        parent->m_pLastChild->m_pNextSibling = m;
    parent->m_pLastChild = m;
    if (m->m_pClient)
        m->m_pClient->AddAnimTreeModifier(m);
    m_PreviousTreeNode = m;
    return m;
}

namespace {

// A modifier that changes client leaves the old client's list first.
void ChangeClient(Modifier* m, GameNode* client) {
    GameNode* old = m->GetClient();
    if (old && old != client)
        old->RemoveAnimTreeModifier(m, false);
    m->SetClient(client);
}

}  // namespace

Modifier* AnimTree::LinkNodeUnder(Modifier* parent, Modifier* m, GameNode* client) {
    if (m)
        ChangeClient(m, client);
    return LinkNodeUnder(parent, m);
}

Modifier* AnimTree::LinkNodeBefore(Modifier* sibling, Modifier* m) {
    if (!sibling || !m || m == sibling || !sibling->m_pParent || RefuseCycle(sibling, m))
        return nullptr;
    Modifier* parent = sibling->m_pParent;
    if (m->m_pParent == parent && m->m_pNextSibling == sibling)
        return m;
    PrepareNodeForInsertion(m);
    m->m_pParent = parent;
    m->m_pNextSibling = sibling;
    if (parent->m_pFirstChild == sibling) {
        parent->m_pFirstChild = m;
    } else {
        Modifier* prev = parent->m_pFirstChild;
        while (prev->m_pNextSibling != sibling)
            prev = prev->m_pNextSibling;
        prev->m_pNextSibling = m;
    }
    if (m->m_pClient)
        m->m_pClient->AddAnimTreeModifier(m);
    m_PreviousTreeNode = m;
    return m;
}

Modifier* AnimTree::LinkNodeBefore(Modifier* sibling, Modifier* m, GameNode* client) {
    if (m)
        ChangeClient(m, client);
    return LinkNodeBefore(sibling, m);
}

Modifier* AnimTree::LinkNodeAfter(Modifier* sibling, Modifier* m) {
    if (!sibling || !m || m == sibling || !sibling->m_pParent || RefuseCycle(sibling, m))
        return nullptr;
    if (sibling->m_pNextSibling == m)
        return m;
    PrepareNodeForInsertion(m);
    Modifier* parent = sibling->m_pParent;
    m->m_pParent = parent;
    m->m_pNextSibling = sibling->m_pNextSibling;
    sibling->m_pNextSibling = m;
    if (parent->m_pLastChild == sibling)
        parent->m_pLastChild = m;
    if (m->m_pClient)
        m->m_pClient->AddAnimTreeModifier(m);
    m_PreviousTreeNode = m;
    return m;
}

Modifier* AnimTree::LinkNodeAfter(Modifier* sibling, Modifier* m, GameNode* client) {
    if (m)
        ChangeClient(m, client);
    return LinkNodeAfter(sibling, m);
}

void AnimTree::RemoveNode(Modifier* m) {
    if (m)
        m->SetObsolete(true);
}

Modifier* AnimTree::RemoveOnlyThisNode(Modifier* m, bool removeFromClient) {
    if (!m)
        return nullptr;
    Modifier* parent = m->m_pParent;
    Modifier* next = m->m_pNextSibling;
    Modifier* first = m->m_pFirstChild;
    if (!parent) {
        // Nowhere to move the children to: they leave with m.
        ReleaseChildren(m);
    } else {
        Modifier* replacement = next;
        Modifier* lastChild = nullptr;
        for (Modifier* c = first; c; c = c->m_pNextSibling) {
            c->m_pParent = parent;
            lastChild = c;
        }
        if (lastChild) {
            lastChild->m_pNextSibling = next;
            replacement = first;
        }
        Modifier* prev = nullptr;
        if (parent->m_pFirstChild == m) {
            parent->m_pFirstChild = replacement;
        } else {
            prev = parent->m_pFirstChild;
            while (prev && prev->m_pNextSibling != m)
                prev = prev->m_pNextSibling;
            if (prev)
                prev->m_pNextSibling = replacement;
        }
        if (parent->m_pLastChild == m)
            parent->m_pLastChild = lastChild ? lastChild : prev;
    }
    m->m_pParent = nullptr;
    m->m_pNextSibling = nullptr;
    m->m_pFirstChild = nullptr;
    m->m_pLastChild = nullptr;
    if (removeFromClient && m->m_pClient)
        m->m_pClient->RemoveAnimTreeModifier(m);
    m->Release();
    return next;
}

void AnimTree::UnlinkNode(Modifier* m) {
    if (!m)
        return;
    Detach(m);
    if (m->m_pClient)
        m->m_pClient->RemoveAnimTreeModifier(m);
    ReleaseChildren(m);
}

void AnimTree::ReleaseSiblings(Modifier* m) {
    if (!m)
        return;
    // Cut the chain off where it hangs, so nothing points at released nodes.
    if (Modifier* parent = m->m_pParent) {
        if (parent->m_pFirstChild == m) {
            parent->m_pFirstChild = nullptr;
            parent->m_pLastChild = nullptr;
        } else {
            for (Modifier* prev = parent->m_pFirstChild; prev; prev = prev->m_pNextSibling) {
                if (prev->m_pNextSibling == m) {
                    prev->m_pNextSibling = nullptr;
                    parent->m_pLastChild = prev;
                    break;
                }
            }
        }
    }
    std::vector<Modifier*> chain;
    for (Modifier* s = m; s; s = s->m_pNextSibling)
        chain.push_back(s);
    for (Modifier* s : chain) {
        s->m_pParent = nullptr;
        s->m_pNextSibling = nullptr;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        (*it)->Release();
}

void AnimTree::ReleaseChildren(Modifier* m) {
    if (m && m->m_pFirstChild)
        ReleaseSiblings(m->m_pFirstChild);
}

bool AnimTree::IsNodeInTree(Modifier* root, Modifier* m) {
    if (!root || !m)
        return false;
    // Same answer as a search of the whole tree above root: m is in it
    // exactly when both climb to the same top.
    Modifier* top = root;
    while (top->m_pParent)
        top = top->m_pParent;
    return IsAncestorOrSelf(top, m);
}

Modifier* AnimTree::GetNearestParentOfType(Modifier* m, const RTTI& type) {
    for (Modifier* p = m ? m->m_pParent : nullptr; p; p = p->m_pParent) {
        if (p->GetRTTI().DerivesFrom(type))
            return p;
    }
    return nullptr;
}

void AnimTree::FinishAllChildAnimations(Modifier* m) {
    if (!m)
        return;
    // Ending a modifier may run game code that relinks the tree; work on a
    // counted list of the descendants taken beforehand.
    std::vector<SmartPtr<Modifier>> descendants;
    for (Modifier* d = m->m_pFirstChild; d;) {
        descendants.emplace_back(d);
        if (d->m_pFirstChild) {
            d = d->m_pFirstChild;
            continue;
        }
        while (d && d != m && !d->m_pNextSibling)
            d = d->m_pParent;
        d = (d && d != m) ? d->m_pNextSibling : nullptr;
    }
    for (Modifier* d : descendants) {
        if (d->HasDoneBit() || d->IsObsolete())
            continue;
        d->EndModifier();
        d->SetObsolete(true);
    }
}

void AnimTree::VisitAnimTree(Modifier* root, int deltaMs) {
    Modifier* m = root;
    while (m) {
        if (!m->IsObsolete() && !m->IsPaused() && !m->HasDoneBit())
            m->Tick(deltaMs);
        // Children of a modifier that is done (perhaps just now) start in
        // this same frame, with its whole time.
        if (!m->IsObsolete() && !m->IsPaused() && m->HasDoneBit() && m->m_pFirstChild) {
            m = m->m_pFirstChild;
            continue;
        }
        while (m && m != root && !m->m_pNextSibling)
            m = m->m_pParent;
        if (!m || m == root)
            break;
        m = m->m_pNextSibling;
    }
}

// The modifiers that one purge takes out of the tree leave their clients'
// lists together, in one sweep of each list: erasing them one at a time
// would cost the square of their number. Until then each is held here and
// stays registered with its client, so that a client destroyed meanwhile
// forgets it along with the rest of its list.
class AnimTree::Leavers {
public:
    Leavers() = default;
    Leavers(const Leavers&) = delete;
    Leavers& operator=(const Leavers&) = delete;
    ~Leavers() { LetGo(); }

    void Hold(Modifier* m) {
        if (m->GetClient())
            m_Held.emplace_back(m);
    }

    // Sweeps the held modifiers out of their clients' lists, makes them
    // forget their clients, then drops them, which may destroy them.
    void LetGo() {
        std::vector<SmartPtr<Modifier>> held;
        held.swap(m_Held);
        std::unordered_set<const Modifier*> leaving;
        std::unordered_set<GameNode*> clients;
        for (const SmartPtr<Modifier>& m : held) {
            leaving.insert(m.Get());
            if (GameNode* client = m->GetClient())
                clients.insert(client);
        }
        for (GameNode* client : clients)
            client->RemoveAnimTreeModifiersIf([&](const Modifier* m) { return leaving.count(m) != 0; });
        for (const SmartPtr<Modifier>& m : held) {
            if (m->GetClient())
                m->SetClient(nullptr);
        }
    }

private:
    std::vector<SmartPtr<Modifier>> m_Held;
};

void AnimTree::PurgeAnimTree(Modifier* m) {
    Leavers leavers;
    PurgeSubtree(m, leavers);
    leavers.LetGo();
}

void AnimTree::PurgeSubtree(Modifier* m, Leavers& leavers) {
    if (!m)
        return;
    for (Modifier* child = m->m_pFirstChild; child;) {
        Modifier* next = child->m_pNextSibling;
        PurgeSubtree(child, leavers);
        child = next;
    }
    if (m->IsObsolete()) {
        leavers.Hold(m);
        Detach(m);
        ReleaseChildren(m);
        m->Release();
        return;
    }
    if (m_AutoDeleteModifiers && m->IsDone())
        RetireModifier(m, leavers);
}

void AnimTree::RetireModifier(Modifier* m, Leavers& leavers) {
    // Trimming the client's list must find it as the modifiers retired so
    // far have left it.
    if (m->HasOption(OPTION_END_PREVIOUS))
        leavers.LetGo();
    if (GameNode* client = m->m_pClient) {
        if (m->HasOption(OPTION_OBSOLETE_CONTAINER)) {
            Modifier* container = GetNearestParentOfType(m, ModifierContainer::rtti);
            if (container && !container->GetRTTI().DerivesFrom(AnimTree::rtti))
                container->SetObsolete(true);
        }
        if (m->HasOption(OPTION_OBSOLETE_CLIENT))
            client->SetObsolete(true);
        if (m->HasOption(OPTION_END_PREVIOUS))
            client->RemoveAnimModifiersWhenINIT(m);
    }
    leavers.Hold(m);
    RemoveOnlyThisNode(m, false);
}

}  // namespace ZQ2
