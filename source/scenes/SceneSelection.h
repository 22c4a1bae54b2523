#pragma once
// The main menu: greets the current player, shimmers the logo and sparkles
// one star at a time, and opens the game, its dialogs and the trophy room.
#include "engine/core/SmartPtr.h"
#include "source/scenes/SceneDelvor.h"

namespace ZQ2 {
class GameNode;
class Modifier;
class ModifierContainer;
class Sprite;
class MouseMessageData;
}  // namespace ZQ2

extern const char* const BUTTON_QUIT;
extern const char* const LABEL_PLAYERNAME;

class SceneSelection : public SceneDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int SPARKLE_COUNT = 3;
    static constexpr int SPOT_COUNT = 15;
    static constexpr float SPARKLE_SCALE = 0.57f;
    static const int SPOTS[SPOT_COUNT][2];

    explicit SceneSelection(ZQ2::AbstractProperty* data);
    ~SceneSelection() override;
    SceneSelection(const SceneSelection&) = delete;
    SceneSelection& operator=(const SceneSelection&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    void OnDeactivate() override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;
    void OnEnter() override;
    void Initialize() override;

    static void OnPlayClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnHelpClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnSettingsClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnHighScoresClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnTrophyClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnNameChangeClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void OnMoreGamesClick(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);

    // The current player's name, or nothing without a player.
    void UpdatePlayerInfo();
    void StartShimmer(bool start);
    void OnShimmerVisible();
    void OnShimmerFinished();
    void ClearShimmerModifier();
    void StartSparkle(bool start);
    void OnSparkleFinished();
    void ClearSparkleModifier();

    static void DoShimmerVisible(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void DoShimmerFinished(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);
    static void DoSparkleFinished(ZQ2::BaseObject* scene, ZQ2::BaseObject* sender);

    ZQ2::Sprite* GetSparkle(int index) const { return m_spSparkles[index].Get(); }
    ZQ2::ModifierContainer* GetShimmerModifier() const { return m_spShimmer.Get(); }
    ZQ2::ModifierContainer* GetSparkleModifier() const { return m_spSparkle.Get(); }
    // The sparkle and spot the last StartSparkle chose, -1 before.
    int GetLastSparkle() const { return m_iLastSparkle; }
    int GetLastSpot() const { return m_iLastSpot; }

private:
    void OpenDialog(const char* name);
    // A warning for each shimmer layer or sparkle the data lacks.
    void ReportMissingDecorations() const;
    void ShowShimmerLayers(bool show);
    // Into the scene's running modifiers, with the scene as client.
    void LinkUnderScene(ZQ2::Modifier* modifier);

    bool m_bFirstActivation = true;
    ZQ2::SmartPtr<ZQ2::ModifierContainer> m_spShimmer;
    ZQ2::SmartPtr<ZQ2::ModifierContainer> m_spSparkle;
    ZQ2::SmartPtr<ZQ2::GameNode> m_spShimmerLayer1;
    ZQ2::SmartPtr<ZQ2::GameNode> m_spShimmerLayer2;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spSparkles[SPARKLE_COUNT];
    int m_iLastSparkle = -1;
    int m_iLastSpot = -1;
};
