#include "source/splash/SceneSplash.h"

#include <algorithm>

#include "engine/io/FileUtils.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/modifier/ModifierAlpha.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/resource/ResourceImage.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Sprite.h"
#include "source/utils/GameTestHooks.h"
#include "source/utils/Utils.h"

using namespace ZQ2;

const RTTI* const SceneSplash::rttis[] = {&Scene::rtti, nullptr};
const RTTI SceneSplash::rtti("SceneSplash", SceneSplash::rttis);

ObjectInitializer SceneSplash::m_ObjectInitializer("SceneSplash", &SceneSplash::OnData);

namespace {

const char* const kBrandingFile = "splash/branding.xml";
const char* const kFadeTimeKey = "SPLASH_FADE_TIME";
const char* const kDisplayTimeKey = "SPLASH_DISPLAY_TIME";
const char* const kShowAnimationKey = "SHOW_FABLEWOOD_ANIMATION";
const char* const kPreloadingSection = "preloading";
const char* const kSplashTransition = "TRANSITION_SPLASH";
const char* const kLoadScene = "SCENE_LOAD";

constexpr float kScreenWidth = 800.0f;
constexpr float kScreenHeight = 600.0f;

}  // namespace

SceneSplash::SceneSplash(AbstractProperty* data) : Scene(data) {}

SceneSplash::~SceneSplash() = default;

BaseObject* SceneSplash::OnData(AbstractProperty* data) { return new SceneSplash(data); }

void SceneSplash::Initialize() {
    Scene::Initialize();
    // The first scene of every run: the earliest point the game owns.
    GameTestHooks::AttachIfAsked();
    ReadBranding();
    if (m_bBackdropShown) {
        OnFablewoodAnimationFinished(this, nullptr);
        return;
    }
    // The scene's own content is the publisher animation: it plays for the
    // display time before the backdrop covers it.
    Modifier* delay = GetAnimContainer()->LinkNode(new ModifierDelay(m_iDisplayTime), GetComponentRoot());
    AnimTree::LinkNodeUnder(delay, new ModifierFunction(this, &SceneSplash::OnFablewoodAnimationFinished, "splash"),
                            GetComponentRoot());
}

void SceneSplash::ReadBranding() {
    SmartPtr<PropertyStore> branding(new PropertyStore());
    if (!branding->IsValidXMLFile(kBrandingFile) || !branding->Load(kBrandingFile))
        return;
    // A negative time in the file counts as none.
    if (branding->HasProperty(kFadeTimeKey))
        m_iFadeTime = std::max(0, branding->GetValue(kFadeTimeKey)->ToInt());
    if (branding->HasProperty(kDisplayTimeKey))
        m_iDisplayTime = std::max(0, branding->GetValue(kDisplayTimeKey)->ToInt());
    if (branding->HasProperty(kShowAnimationKey))
        m_bBackdropShown = !branding->GetValue(kShowAnimationKey)->ToBoolean();
}

void SceneSplash::OnFablewoodAnimationFinished(BaseObject* target, BaseObject*) {
    if (auto* scene = DynamicCast<SceneSplash>(target))
        scene->ShowBackdrop();
}

void SceneSplash::ShowBackdrop() {
    m_spBackdrop = new Sprite(0.0f, 0.0f, kScreenWidth, kScreenHeight);
    m_spBackdrop->SetColor(0);
    m_spBackdrop->SetUseColorToFillPolygon(true);
    AddComponent(m_spBackdrop, true);
    if (!m_bBackdropShown) {
        m_spBackdrop->SetAlpha(0);
        m_spBackdrop->AddModifier(Utils::Blocking(new ModifierAlpha(0, 255, m_iFadeTime)));
        m_bBackdropShown = true;
    }
    m_spBackdrop->AddModifier(Utils::Blocking(new ModifierDelay(FIRST_IMAGE_DELAY_MS)));
    m_spBackdrop->AddModifier(new ModifierFunction(this, &SceneSplash::OnNewSplashScreen, "splash"));
}

void SceneSplash::OnNewSplashScreen(BaseObject* target, BaseObject*) {
    if (auto* scene = DynamicCast<SceneSplash>(target))
        scene->ShowNextImage();
}

std::string SceneSplash::SplashFileName(int number) {
    const std::string stem = "splash/splash" + std::to_string(number);
    for (const char* extension : {".jpg", ".png"}) {
        if (FileExists(stem + extension))
            return stem + extension;
    }
    return std::string();
}

void SceneSplash::ShowNextImage() {
    m_bSeriesOver = true;
    const std::string file = SplashFileName(m_iSplashIndex + 1);
    if (file.empty())
        return;
    SmartPtr<ResourceImage> resource(new ResourceImage(file, std::string(), 1, 1, false));
    resource->Load();
    Image* image = resource->HasError() ? nullptr : resource->GetImage();
    if (!image)
        return;

    SmartPtr<Sprite> sprite(new Sprite(0.0f, 0.0f, image));
    const int width = static_cast<int>(sprite->GetWidth());
    const int height = static_cast<int>(sprite->GetHeight());
    sprite->SetX((kScreenWidth - static_cast<float>(width)) / 2.0f);
    sprite->SetY((kScreenHeight - static_cast<float>(height)) / 2.0f);
    // Unseen until its fade-in first ticks, which may be a frame later.
    sprite->SetAlpha(0);
    sprite->AddModifier(Utils::Blocking(new ModifierAlpha(0, 255, m_iFadeTime)));
    sprite->AddModifier(Utils::Blocking(new ModifierDelay(m_iDisplayTime)));
    sprite->AddModifier(Utils::Blocking(new ModifierAlpha(255, 0, m_iFadeTime)));
    auto* next = new ModifierFunction(this, &SceneSplash::OnNewSplashScreen, "splash");
    next->m_nOptions |= Modifier::OPTION_OBSOLETE_CLIENT;
    sprite->AddModifier(next);
    AddComponent(sprite, true);
    ++m_iSplashIndex;
    m_bSeriesOver = false;
}

void SceneSplash::Tick(int) {
    if (!m_bSeriesOver || m_bLeaving)
        return;
    if (ResourceManager::g_Instance && ResourceManager::g_Instance->WaitingFor(kPreloadingSection))
        return;
    SceneManager* scenes = SceneManager::g_Instance;
    if (!scenes)
        return;
    m_bLeaving = true;
    scenes->CreateSceneTransition(kSplashTransition);
    scenes->EnterScene(kLoadScene);
}
