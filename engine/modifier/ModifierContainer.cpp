#include "engine/modifier/ModifierContainer.h"

#include "engine/sprite/AnimTree.h"

namespace ZQ2 {

const RTTI* const ModifierContainer::rttis[] = {&Modifier::rtti, nullptr};
const RTTI ModifierContainer::rtti("ModifierContainer", ModifierContainer::rttis);

ModifierContainer::ModifierContainer(const std::string& name, bool removeWhenEmpty)
    : m_bRemoveWhenEmpty(removeWhenEmpty) {
    SetName(name);
    m_nStatus |= STATUS_DONE;
}

std::string ModifierContainer::ToString() const {
    std::string text = Modifier::ToString();
    if (m_bRemoveWhenEmpty)
        text += "Remove when empty";
    return text;
}

void ModifierContainer::SetObsolete(bool obsolete) {
    Modifier::SetObsolete(obsolete);
    if (obsolete)
        SetAllChildrenObsolete();
}

bool ModifierContainer::IsDone() const { return m_bRemoveWhenEmpty && !GetFirstChild(); }

void ModifierContainer::SetAllChildrenObsolete() {
    // Depth first over the subtree: first child, else next sibling, else climb.
    Modifier* m = GetFirstChild();
    while (m) {
        // The flag alone: the walk reaches every descendant itself.
        m->Modifier::SetObsolete(true);
        if (m->GetFirstChild()) {
            m = m->GetFirstChild();
            continue;
        }
        while (m && m != this && !m->GetNextSibling())
            m = m->GetParent();
        m = (m && m != this) ? m->GetNextSibling() : nullptr;
    }
}

Modifier* ModifierContainer::LinkNode(Modifier* m) { return AnimTree::LinkNodeUnder(this, m); }

Modifier* ModifierContainer::LinkNode(Modifier* m, GameNode* client) {
    return AnimTree::LinkNodeUnder(this, m, client);
}

}  // namespace ZQ2
