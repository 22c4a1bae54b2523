#pragma once
// Stand-in for the dialog base until the widget branch provides it: only the
// operations scenes call, with the dialog's names. Removed when Dialog lands.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameTree.h"
#include "engine/framework/iInputListener.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyVector.h"
#include "engine/sprite/Sprite.h"

namespace ZQ2 {

class Dialog : public Sprite, public iInputListener {
public:
    static inline const RTTI* const rttis[] = {&Sprite::rtti, nullptr};
    static inline const RTTI rtti{"Dialog", rttis};

    explicit Dialog(AbstractProperty* data) : Sprite(data) {
        if (data && data->ToNode() != nullptr)
            m_pData = data->ToNode();
    }
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override {
        if (&which == &iInputListener::rtti)
            return static_cast<iInputListener*>(this);
        return Sprite::QueryInterface(which);
    }

    virtual void OnActivate() { SetChildrenReceiveInput(true); }
    virtual void OnDeactivate() { SetChildrenReceiveInput(false); }

    void AddComponents(PropertyVector* components, bool bind) {
        (void)bind;
        for (int i = 0; components && i < components->GetCount(); ++i) {
            SmartPtr<BaseObject> object(ObjectFactory::Instance()->CreateObject(components->GetProperty(i)));
            if (auto* node = DynamicCast<GameNode>(object.Get()))
                AddComponent(node, bind);
        }
    }
    virtual void AddComponent(GameNode* node, bool bind) {
        (void)bind;
        GameTree::LinkNodeUnder(this, node);
    }
    GameNode* GetComponent(const std::string& name) { return GetChild(name, true); }

    PropertyNode* GetData() const { return m_pData; }

protected:
    SmartPtr<PropertyNode> m_pData;
};

}  // namespace ZQ2
