#pragma once
// The gauge beside a hole: how much of the current dirt run is still to be
// dug, where the rocks and artifacts lie, and the per-frame tick that turns
// the diggers' working time into dig progress in quarter layers.
//
// Layout: the dirt column shows the rest of the current run (its height
// scaled by what is left), the part already dug drawn faded above it; the
// arrow marks the dig front. The rocks and artifacts of the next
// GAUGE_LAYERS layers stand in a row beside the column in layer order, the
// current rock shrunk to its remaining toughness; artifacts further down
// are counted as extra stars.
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "source/game/ClickObject.h"

class DelvorHole;

class DelvorMeter : public ClickObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // How many layers from the current depth the gauge lays out.
    static constexpr int GAUGE_LAYERS = 8;
    static constexpr int SPARKLES = 3;
    static constexpr int SPARKLE_FRAME_MS = 45;
    // Progress is counted in quarter layers.
    static constexpr int QUARTERS_PER_LAYER = 4;
    // Alpha of the dirt already dug.
    static constexpr int DUG_DIRT_ALPHA = 90;

    explicit DelvorMeter(ZQ2::AbstractProperty* node);
    DelvorMeter(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback);
    ~DelvorMeter() override;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* node);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const ZQ2::RTTI& which) override;
    void Tick(int deltaMs) override;
    ZQ2::BaseObject* QueryBaseObject() override { return this; }
    bool IsMeter() const override { return true; }
    ClickObject* GetParentHole() override;

    void Init(DelvorHole* hole);
    void SetHole(DelvorHole* hole);
    void Cleanup() { SetHole(nullptr); }
    DelvorHole* GetHole() const { return m_pHole; }

    float GetDigProgress() const { return m_fProgress; }
    void SetDigProgress(float progress) { m_fProgress = progress; }
    // Whole layers dug into the current dirt run.
    int GetRoundedDigProgress() const { return static_cast<int>(m_fProgress * 0.25f); }
    int GetAccumulatedTime() const { return m_iAccumulated; }

    void Show(bool visible);
    void SetupMeter();
    ZQ2::Sprite* GetArtifact(int index);
    void SetArtifactImage(ZQ2::Sprite* sprite, char letter);
    static std::string GetArtifactResNameFromType(char letter);

    void PulseArrow(bool on);
    bool IsArrowPulsing() const { return m_pArrowPulse != nullptr; }
    void DoArrowPulseFinished();
    static void OnArrowPulseFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    void StartSparkles(bool on);
    void CreateSparkles();
    void HideSparkles();
    void InitSparkles();
    void CleanupSparkles();
    void ClearSparkleModifier();
    void OnSparkleFinished();
    static void DoSparkleFinished(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);
    bool AreSparklesRunning() const { return m_pSparkleModifier != nullptr; }

    bool TutorialDoPhantomDig();

    // The pieces of the gauge, for the hole and the tests.
    ZQ2::Sprite* GetDirt(int i) const { return i >= 0 && i < 2 ? m_spDirt[i].Get() : nullptr; }
    ZQ2::Sprite* GetArrow() const { return m_spArrow.Get(); }
    int GetRockIconCount() const { return static_cast<int>(m_Rocks.size()); }
    ZQ2::Sprite* GetRockIcon(int i) const;
    int GetArtifactIconCount() const { return static_cast<int>(m_Artifacts.size()); }
    int GetExtraStarCount() const { return static_cast<int>(m_ExtraStars.size()); }

private:
    // A gauge icon and the shadow drawn behind it.
    struct Icon {
        ZQ2::SmartPtr<ZQ2::Sprite> spIcon;
        ZQ2::SmartPtr<ZQ2::Sprite> spShadow;
    };

    ZQ2::Sprite* AddSprite(const std::string& image, float x, float y, ZQ2::GameNode* before);
    static void Retire(ZQ2::SmartPtr<ZQ2::Sprite>& sprite);
    static void RetireIcons(std::vector<Icon>& icons, size_t keep);
    void LayOutDirt(int dirtRun);
    void LayOutIcons(const std::string& window);
    void LayOutExtraStars(int windowEnd);
    Icon& IconAt(std::vector<Icon>& icons, size_t index, const std::string& image, const std::string& shadow);
    int CountDirtFrom(int index) const;
    // The sum of the diggers' slices turned into quarter layers.
    float DigIncrement() const;
    bool CanDig() const;

    // Not counted: the hole owns its meter and detaches it (CleanupHole,
    // also run by the hole's destructor); a counted hole would never reach
    // that destructor unless someone cleaned it up first.
    DelvorHole* m_pHole = nullptr;
    float m_fProgress = 0.0f;
    int m_iAccumulated = 0;
    int m_iUpdateSlice = 0;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spDirt[2];
    ZQ2::SmartPtr<ZQ2::Sprite> m_spArrow;
    std::vector<Icon> m_Rocks;
    std::vector<Icon> m_Artifacts;
    std::vector<Icon> m_ExtraStars;
    ZQ2::SmartPtr<ZQ2::Sprite> m_aspSparkles[SPARKLES];
    ZQ2::ModifierContainer* m_pSparkleModifier = nullptr;  // counted while set
    ZQ2::ModifierContainer* m_pArrowPulse = nullptr;       // counted while set
};
