#include "engine/sprite/Panel.h"

#include <lua.hpp>

#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyVector.h"
#include "engine/sprite/GameTree.h"

namespace ZQ2 {

const RTTI* const Panel::rttis[] = {&Sprite::rtti, nullptr};
const RTTI Panel::rtti("Panel", Panel::rttis);

ObjectInitializer Panel::m_ObjectInitializer("Panel", &Panel::OnData);

const char* const PROP_PANELCOMPONENTS = "panelcomponents";

namespace {

Panel* CheckPanel(lua_State* L) {
    Panel* panel = DynamicCast<Panel>(GameNode::CheckLuaNode(L, 1));
    if (!panel)
        luaL_argerror(L, 1, "not a Panel");
    return panel;
}

// The component's table must stand for a live node as well: linking needs one.
int glue_addComponent(lua_State* L) {
    Panel* panel = CheckPanel(L);
    luaL_checktype(L, 2, LUA_TTABLE);
    GameNode* component = GameNode::CheckLuaNode(L, 2);
    panel->AddComponent(component, true);
    lua_pushvalue(L, 2);
    return 1;
}

const luaL_Reg kPanelMethods[] = {
    {"addComponent", glue_addComponent},
    {nullptr, nullptr},
};

}  // namespace

Panel::Panel(AbstractProperty* data) : Sprite(data), m_spComponentRoot(new GameNode(std::string())) {
    GameTree::LinkNodeUnder(this, m_spComponentRoot.Get());
    PropertyNode* node = data ? data->ToNode() : nullptr;
    if (node && node->HasProperty(PROP_PANELCOMPONENTS))
        AddComponents(node->GetVector(PROP_PANELCOMPONENTS), true);
    SetupMetatableForObject("xov.Panel", "xov.Sprite", nullptr, "Panel", kPanelMethods);
}

Panel::~Panel() = default;

BaseObject* Panel::OnData(AbstractProperty* data) { return new Panel(data); }

GameNode* Panel::GetComponent(const std::string& name) const {
    for (GameNode* child = m_spComponentRoot->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (child->IsObsolete())
            continue;
        if (child->GetName() == name)
            return child;
        if (const Panel* panel = DynamicCast<Panel>(child)) {
            if (GameNode* found = panel->GetComponent(name))
                return found;
        }
    }
    return nullptr;
}

void Panel::AddComponent(GameNode* node, bool) {
    if (!GameTree::LinkNodeUnder(m_spComponentRoot.Get(), node))
        return;
    SetChanged(true);
}

void Panel::RemoveComponent(GameNode* node) {
    if (!node)
        return;
    node->SetObsolete(true);
    SetChanged(true);
}

void Panel::AddComponents(PropertyVector* components, bool bind) {
    if (!components)
        return;
    for (int i = 0; i < components->GetCount(); ++i) {
        // Held while it is linked, so that an object of another kind is freed.
        SmartPtr<BaseObject> object(ObjectFactory::Instance()->CreateObject(components->GetProperty(i)));
        if (GameNode* node = DynamicCast<GameNode>(object.Get()))
            AddComponent(node, bind);
    }
}

}  // namespace ZQ2
