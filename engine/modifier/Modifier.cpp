#include "engine/modifier/Modifier.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameNode.h"

namespace ZQ2 {

const RTTI* const Modifier::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Modifier::rtti("Modifier", Modifier::rttis);

namespace {

std::vector<Modifier**>& WatchedSlots() {
    static auto* slots = new std::vector<Modifier**>();
    return *slots;
}

}  // namespace

void Modifier::ClearOnDestruction(Modifier** slot) {
    if (slot && std::find(WatchedSlots().begin(), WatchedSlots().end(), slot) == WatchedSlots().end())
        WatchedSlots().push_back(slot);
}

Modifier::~Modifier() {
    for (Modifier** slot : WatchedSlots()) {
        if (*slot == this)
            *slot = nullptr;
    }
    // Sprite helpers chain the next step onto the last linked modifier; never
    // leave them a dead one.
    if (AnimTree::m_PreviousTreeNode == this)
        AnimTree::m_PreviousTreeNode = nullptr;
    if (m_bInAnimTree)
        AnimTree::UnlinkNode(this);
}

int Modifier::AddTime(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string Modifier::ToString() const {
    std::string text = BaseObject::ToString();
    if (!m_strName.empty())
        text += "\"" + m_strName + "\"; ";
    if (m_pClient && !m_bObsolete)
        text += "Client: <" + m_pClient->ToStringShort() + "> ";
    return text;
}

}  // namespace ZQ2
