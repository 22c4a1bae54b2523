#pragma once
// Base of everything on the dig site the player can point at or click: a
// sprite with a pixel hit mask, a rollover highlight, an endless random
// idle animation, and the neutral queries through which the click router
// and the level talk to any site object.
#include "engine/core/iGuiMethod.h"
#include "engine/math/Point_t.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/iInputListener.h"
#include "engine/sprite/iHitMask.h"

namespace ZQ2 {
class Modifier;
class ModifierContainer;
}  // namespace ZQ2
class DVNode;
class SceneGame;

class ClickObject : public ZQ2::Sprite, public ZQ2::iInputListener, public ZQ2::iGuiMethod, public ZQ2::iHitMask {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // Pixels below this alpha are not part of the object.
    static constexpr int HIT_ALPHA_THRESHOLD = 250;
    // Added over the picture while the pointer rests on a lit object.
    static constexpr int HIGHLIGHT_COLOR = 0x664000;

    ClickObject(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback);
    explicit ClickObject(ZQ2::AbstractProperty* node);
    ~ClickObject() override;
    ClickObject(const ClickObject&) = delete;
    ClickObject& operator=(const ClickObject&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const ZQ2::RTTI& which) override;
    ZQ2::BaseObject* QueryBaseObject() override { return this; }

    void Tick(int) override {}
    void Render(ZQ2::Graphics* graphics) override;
    void SetImage(ZQ2::Image* image) override;
    ZQ2::ImageFrame* GetHitMaskFrame() override;

    bool IsClickable() const { return m_bClickable; }
    int GetState() const { return m_iState; }
    bool IsMouseOver();
    ZQ2::ModifierContainer* CreateIdleModifier();
    void ClearIdleModifier();
    ZQ2::ModifierContainer* GetIdleModifier() const { return m_pIdleModifier; }
    void OnIdleAnimationStartEnd(bool start);
    static void DoIdleAnimationStart(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    static void DoIdleAnimationEnd(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    // A delay in [min, max); an empty range gives min.
    static int DrawIdleDelay(int min, int max);
    // The loop count of one idle pass: blinkers draw 1..IDLE_IMPATIENT_NUM_LOOPS_MAX,
    // doubled for back-and-forth strips.
    int DrawIdleLoops() const;

    virtual void SetState(int state) { m_iState = state; }
    virtual bool IsItem() const { return false; }
    virtual bool IsReqBalloon() const { return false; }
    virtual bool IsMeter() const { return false; }
    virtual bool DoPickupItem() { return false; }
    virtual int GetTable() const { return -1; }
    virtual bool IsAction(ClickObject*) { return false; }
    virtual ClickObject* GetBoss() { return nullptr; }
    virtual ClickObject* GetDigger() { return nullptr; }
    virtual ClickObject* GetParentHole() { return nullptr; }
    virtual bool UseItem(ClickObject*) { return false; }
    virtual ZQ2::Image* GetItemImage() { return nullptr; }
    virtual bool IsAvailable() const { return false; }
    virtual void SetHighlightState(bool) {}
    virtual bool HasRollover() const { return false; }
    virtual bool HasRolloverHighlight() const { return false; }
    virtual bool IsHolding(ClickObject*) const { return false; }
    virtual bool MatchesRequest(int, int) const { return false; }
    virtual bool IsBin() const { return false; }
    virtual void DumpObjects() {}
    virtual bool ShouldVuruRespond() const { return false; }
    virtual void SetOnTable(bool) {}
    virtual bool IsOnTable() const { return false; }
    virtual bool CanBonkNow() const { return false; }
    virtual void DoBonk() {}
    virtual void StartDelivery() {}
    virtual void EndDelivery() {}
    bool OnMouseLeftDown(const ZQ2::MouseMessageData& m) override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;
    bool OnMouseMoved(const ZQ2::MouseMessageData& m) override;
    virtual void Walk(DVNode*, ClickObject*) {}
    virtual ClickObject* GetActionObject() { return this; }
    virtual void GetActionDirection(int& dx, int& dy) {
        dx = 0;
        dy = 0;
    }
    virtual ZQ2::Point_t<float> GetActionStart() { return {GetX(), GetY()}; }
    virtual ZQ2::Point_t<float> GetActionDest(int) { return {GetX(), GetY()}; }
    virtual void StartIdleRoutine();
    virtual void SetIdleImage(bool) {}
    virtual int GetAdjustedIdleFrameSpeed() const;
    virtual int GetIdleRoutineDirection() const { return 2; }
    virtual bool IsBlinkingOnIdle() const { return false; }
    virtual void GetIdleTime(int& min, int& max) const;
    virtual void DoWinLossAnimation(ZQ2::Modifier*, bool) {}
    virtual void EndWinLossAnimation() {}

protected:
    // The running level, or null when another scene is current.
    static SceneGame* Level();
    bool IsOnMask(float x, float y);
    // Ends a node held by one counted reference: the tree drops it at its
    // next pass, and the slot empties. An empty slot is left alone.
    template <class T>
    static void EndHeld(T*& held) {
        if (!held)
            return;
        held->SetObsolete(true);
        held->Release();
        held = nullptr;
    }

private:
    int m_iState = 0;
    bool m_bClickable = true;
    ZQ2::ModifierContainer* m_pIdleModifier = nullptr;  // counted
};
