#include "engine/modifier/Modifier.h"

#include <algorithm>
#include <limits>

#include "engine/framework/AnimTree.h"
#include "engine/framework/GameNode.h"

namespace ZQ2 {

const RTTI* const Modifier::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Modifier::rtti("Modifier", Modifier::rttis);

Modifier::~Modifier() {
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
