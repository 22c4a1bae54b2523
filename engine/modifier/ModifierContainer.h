#pragma once
// A modifier that only groups: it is done from birth, so in the animation tree
// its children start at once. Made obsolete, it takes its whole subtree along.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class ModifierContainer : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // removeWhenEmpty: the container finishes once its last child is gone.
    ModifierContainer(const std::string& name, bool removeWhenEmpty);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int) override {}
    void SetObsolete(bool obsolete) override;
    bool IsDone() const override;
    virtual void SetAllChildrenObsolete();

    // Links m as the last child of this container in the animation tree;
    // returns m, so that a sequence is built by linking under the result.
    Modifier* LinkNode(Modifier* m);
    Modifier* LinkNode(Modifier* m, GameNode* client);

    bool IsRemoveWhenEmpty() const { return m_bRemoveWhenEmpty; }
    void SetRemoveWhenEmpty(bool remove) { m_bRemoveWhenEmpty = remove; }

private:
    bool m_bRemoveWhenEmpty;
};

}  // namespace ZQ2
