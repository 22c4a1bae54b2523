#pragma once
// Shows the tooltip text of the front-most sprite under the resting mouse:
// after a show delay its renderer appears near the mouse, above everything,
// for a remove delay. A per-frame task and an input listener.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/framework/iTask.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

extern const char* const PROP_SHOWDELAY;
extern const char* const PROP_REMOVEDELAY;

class Tooltip : public iTask, public iInputListener, public iInstance<Tooltip> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit Tooltip(AbstractProperty* data);
    // The renderer is not installed by this form; SetRenderer does that.
    Tooltip(int showDelay, int removeDelay, Sprite* renderer);
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;
    ~Tooltip() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    // The singleton from the data manager's blueprint of that name, attached
    // to the task manager and listening to the mouse.
    static void CreateInstance(const std::string& name);
    static void RemoveInstance();

    const RTTI& GetRTTI() const override { return rtti; }
    // Only the input-listener part.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    void SetProperties(PropertyNode* data);

    void SetRenderer(Sprite* renderer);
    Sprite* GetRenderer() const { return m_pRenderer.Get(); }
    void RemoveRenderer();
    // Links the hidden renderer last under the root, so it is drawn on top.
    void LinkRenderer();

    int GetShowDelay() const { return m_nShowDelay; }
    int GetRemoveDelay() const { return m_nRemoveDelay; }
    Sprite* GetTarget() const { return m_pTarget; }

    void OnInitialize() override;
    void OnUpdate(int deltaMs) override;
    bool OnMouseMoved(const MouseMessageData& m) override;

private:
    void VisitAllChildren(GameNode* node);
    void Place();
    void Hide();

    SmartPtr<GameNode> m_pRoot;
    SmartPtr<Sprite> m_pRenderer;
    // Compared by address only: never dereferenced after the frame it was
    // found in, unless found again.
    Sprite* m_pTarget = nullptr;
    Sprite* m_pCandidate = nullptr;
    float m_fMouseX = 0.0f;
    float m_fMouseY = 0.0f;
    int m_nShowCountdown = 0;
    int m_nShowDelay = 1000;
    int m_nRemoveCountdown = 0;
    int m_nRemoveDelay = 10000;
};

}  // namespace ZQ2
