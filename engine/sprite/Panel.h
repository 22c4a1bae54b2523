#pragma once
// A sprite that holds named child components (widgets, sprites, other
// panels) under one component root and finds them again by name. Every
// dialog, and so every scene, is a panel.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Sprite.h"

struct lua_State;

namespace ZQ2 {

class AbstractProperty;
class PropertyVector;

extern const char* const PROP_PANELCOMPONENTS;

class Panel : public Sprite {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // data may be null: no components and no keys.
    explicit Panel(AbstractProperty* data);
    ~Panel() override;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    // Depth first in child order: a nested panel is searched right after
    // its own name is compared. Removed components are not found.
    virtual GameNode* GetComponent(const std::string& name) const;
    // Links the node last under the component root, reviving it when it had
    // been removed. The panel ignores bind.
    virtual void AddComponent(GameNode* node, bool bind);
    // Only flags the node obsolete; the next purge unlinks it.
    virtual void RemoveComponent(GameNode* node);

    // Builds each element through the object factory and adds it; elements
    // the factory cannot build as game nodes are skipped.
    void AddComponents(PropertyVector* components, bool bind);

    GameNode* GetComponentRoot() const { return m_spComponentRoot.Get(); }

private:
    SmartPtr<GameNode> m_spComponentRoot;
};

}  // namespace ZQ2
