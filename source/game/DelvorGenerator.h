#pragma once
// The cook ("COOKIE") and the toolmaker ("TOOLMAKER"): every item taken off
// their table is queued here, and one after another each is made again in a
// work animation with a dust cloud, thrown along an arc and put back.
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/math/PolygonF.h"
#include "source/game/ClickObject.h"

class DelvorItem;

class DelvorGenerator : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eGeneratorState { STATE_IDLE = 1, STATE_GENERATING = 2 };
    enum eGeneratorImage { IMAGE_DEFAULT = 0, IMAGE_IDLE = 1, IMAGE_GENERATING = 2, IMAGE_WIN = 3, IMAGE_LOSE = 4 };
    // Cloud numbers of the level scene.
    static constexpr int CLOUD_COOKIE = 0;
    static constexpr int CLOUD_TOOLMAKER = 1;
    // Height of the throw's arc above its start, in pixels.
    static constexpr float THROW_ARC_HEIGHT = 30.0f;

    DelvorGenerator(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback);
    explicit DelvorGenerator(ZQ2::AbstractProperty* node);
    ~DelvorGenerator() override;
    DelvorGenerator(const DelvorGenerator&) = delete;
    DelvorGenerator& operator=(const DelvorGenerator&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    bool IsCookie() const { return GetName() == "COOKIE"; }
    bool IsToolmaker() const { return GetName() == "TOOLMAKER"; }
    bool CanThisGeneratorCreateThisItem(DelvorItem* item) const;
    // Null starts work on the first queued item.
    void GenerateItem(DelvorItem* item);

    int GetGeneratorState() const { return m_iGeneratorState; }
    void SetGeneratorState(int state);
    void SetGeneratorImage(int index);
    void ClearGenerateModifier();
    int GetNumItemsInQueue() const { return static_cast<int>(m_Queue.size()); }
    bool AreItemsToBeGenerated() const { return !m_Queue.empty(); }
    DelvorItem* GetQueuedItem(int index) const;
    ZQ2::Modifier* GetGenerateModifier() const { return m_spAnimation.Get(); }
    ZQ2::PolygonF* GetPath() const { return m_spPath.Get(); }
    int GetGeneratorFrameSpeed() const;
    int GetGeneratorNumLoops() const;

    void SetIdleImage(bool idle) override { SetGeneratorImage(idle ? IMAGE_IDLE : IMAGE_DEFAULT); }
    int GetAdjustedIdleFrameSpeed() const override;
    void DoWinLossAnimation(ZQ2::Modifier* container, bool won) override;
    void EndWinLossAnimation() override;

    // The throw path from this generator to the item, in the table's frame.
    void GeneratePolyPath(DelvorItem* item);
    bool OnPrepareToThrowItem(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    bool OnGeneratorFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    bool DoRestartWinLossAnimation(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

private:
    int GetCloudIndex() const { return IsCookie() ? CLOUD_COOKIE : CLOUD_TOOLMAKER; }
    void StartDustCloud(ZQ2::Modifier* container);
    void HideDustCloud();

    int m_iGeneratorState = STATE_IDLE;
    // The job or the win/loss pass that runs now; held so that a purged
    // modifier never dangles here.
    ZQ2::SmartPtr<ZQ2::Modifier> m_spAnimation;
    ZQ2::ZQVector<ZQ2::SmartPtr<DelvorItem>> m_Queue;
    ZQ2::SmartPtr<ZQ2::PolygonF> m_spPath;
};
