#pragma once
// Base of every figure that walks on the dig site: turns a planned route
// into leg-by-leg walking animations with a picture code for each leg,
// keeps a shadow under the figure and a queue of clicked targets.
#include <vector>

#include "engine/core/ZQVector.h"
#include "source/game/ClickObject.h"

class DelvorCharacter : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eWalkState { STATE_HOME = 0, STATE_WALKING = 1, STATE_ELSEWHERE = 2 };
    // The slowest a figure ever walks, in pixels per second.
    static constexpr int MIN_WALK_SPEED = 1;

    DelvorCharacter(float x, float y, ZQ2::Image* image);
    explicit DelvorCharacter(ZQ2::AbstractProperty* node);
    ~DelvorCharacter() override;
    DelvorCharacter(const DelvorCharacter&) = delete;
    DelvorCharacter& operator=(const DelvorCharacter&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void SetX(float x) override;
    void SetY(float y) override;
    void SetLocation(float x, float y) override;
    void Walk(DVNode* route, ClickObject* target) override;

    virtual void RelocateShadow(float x, float y);
    virtual void GetShadowImage(std::string&) {}
    virtual void WalkToSpot(int x, int y, int firstH, int firstV, int startX, int startY);
    virtual void WalkToTable(int) {}
    virtual bool CanCharacterWalk() const { return true; }
    virtual void SetCharacterImage(int code) { m_iImageCode = code; }
    virtual bool DoWalkFinished();
    virtual bool IsBoss() const { return false; }
    virtual bool IsInHomePosition() const { return false; }
    virtual bool IsInHomeArea() const { return IsInHomePosition(); }
    virtual int GetCurrentTable() const { return IsInHomePosition() ? 1 : 0; }
    virtual int GetNumItems() const { return 0; }
    virtual int GetMaxItems() const { return 0; }
    virtual int GetNumItemsFree() const { return 0; }
    virtual ZQ2::Point_t<float> GetHomePosition() const { return {-1.0f, -1.0f}; }
    virtual bool CanAddHoleToStack(ClickObject*) { return false; }
    virtual void UpdateCheckMarks() {}
    virtual void PickupItemsInQueue() {}
    virtual int GetVuruState() const { return -1; }
    virtual void SetVuruState(int) {}
    virtual bool SkipUseItem() const { return false; }
    virtual bool IsWaitingForItemGeneration() const { return false; }
    void DoWinLossAnimation(ZQ2::Modifier* container, bool won) override;
    void EndWinLossAnimation() override;
    bool DoRestartWinLossAnimation(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    // Keeps the figure drawn in front of what stands behind it and behind
    // what stands in front, by the y of their feet.
    void AdjustZOrder();
    static float GetAdjustedZOrderY(ZQ2::GameNode* node);
    virtual int GetUpgradedWalkSpeed() const { return 0; }
    virtual void ResetImage() { SetCharacterImage(2); }
    virtual void ClearCurrentRoutine();
    virtual void AdjustCharacterPosition(float dx, float dy);

    int GetWalkSpeed() const { return m_iWalkSpeed; }
    void SetWalkSpeed(int speed) { m_iWalkSpeed = speed; }
    void SetWalkPixelsPerFrame(int pixels) { m_iWalkPixelsPerFrame = pixels; }
    // The speed a leg is walked at: the start-of-day speed in states 3 and 4,
    // never below MIN_WALK_SPEED.
    int GetEffectiveWalkSpeed() const;
    int GetImageCode() const { return m_iImageCode; }
    const std::vector<int>& GetWalkImages() const { return m_WalkImages; }
    ZQ2::Modifier* GetWalkModifier() const { return m_pWalkModifier; }
    ZQ2::Sprite* GetShadow() const { return m_spShadow.Get(); }
    const ZQ2::Point_t<float>& GetFootPoint() const { return m_FootPoint; }
    // The spot the figure stands on; picture offsets are taken from it.
    void SetFootPoint(float x, float y) { m_FootPoint.Set(x, y); }

    void SetNextDestination(ClickObject* target);
    ClickObject* GetNextDestination() const { return m_spNextDestination.Get(); }
    bool IsNextDestination(ClickObject* target) const;
    void SetCurrentHole(ClickObject* hole) { m_spCurrentHole = hole; }
    ClickObject* GetCurrentHole() const { return m_spCurrentHole.Get(); }

    // Facing the home spot, the way every figure heads home.
    void WalkHome();
    void AddToStack(ClickObject* target);
    void RemoveFromStack(int index);
    int GetNumItemsInStack() const;
    const ZQ2::ZQVector<ClickObject*>& GetStack() const { return m_Stack; }
    // Stand-in until the job stack's own check lands.
    bool IsRoomForMoreItemsInStack() const { return GetNumItemsInStack() < GetMaxItems(); }

    bool DoSetImage(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    bool OnWalkFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    // The directed figures' needs: the node position becomes the start of
    // the next walk, their own walk step, and their own end-of-day chain.
    void SetRealPosToCurPos() { m_FootPoint.Set(GetX(), GetY()); }
    // Takes a reference; the previous walk modifier is ended and released.
    void SetWalkModifier(ZQ2::Modifier* modifier);

private:
    void ClearWalkModifiers();
    void UpdateRouterMarks();

    int m_iWalkSpeed = 100;
    int m_iWalkPixelsPerFrame = 30;
    int m_iImageCode = 0;
    std::vector<int> m_WalkImages;
    size_t m_iNextWalkImage = 0;
    ZQ2::Point_t<float> m_FootPoint;
    ZQ2::Point_t<float> m_WalkEnd;
    ZQ2::Modifier* m_pWalkModifier = nullptr;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spShadow;
    ZQ2::ZQVector<ClickObject*> m_Stack;
    ZQ2::SmartPtr<ClickObject> m_spNextDestination;
    ZQ2::SmartPtr<ClickObject> m_spCurrentHole;
};
