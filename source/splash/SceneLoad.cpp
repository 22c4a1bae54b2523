#include "source/splash/SceneLoad.h"

#include <cmath>

#include "engine/core/Platform.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierMethod.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

const RTTI* const SceneLoad::rttis[] = {&SceneDelvor::rtti, nullptr};
const RTTI SceneLoad::rtti("SceneLoad", SceneLoad::rttis);

ObjectInitializer SceneLoad::m_ObjectInitializer("SceneLoad", &SceneLoad::OnData);

namespace {

const char* const kPartnersFile = "properties/partners.xml";
const char* const kPartnersKey = "partners";
const char* const kProgressBar = "PROGRESS_BAR";
const char* const kMusic = "MUSIC_MAP_SELECTION";
const char* const kMusicSection = "music";
const char* const kSplashSection = "splash";
const char* const kSplashScene = "SCENE_SPLASH";
const char* const kSelectionScene = "SCENE_SELECTION";
const char* const kDefaultTransition = "TRANSITION_DEFAULT";

}  // namespace

SceneLoad::SceneLoad(AbstractProperty* data) : SceneDelvor(data) {}

SceneLoad::~SceneLoad() { m_BusyCursor.SetUsed(false); }

BaseObject* SceneLoad::OnData(AbstractProperty* data) { return new SceneLoad(data); }

void SceneLoad::Initialize() {
    SceneDelvor::Initialize();
    PlayMusic();
    DropSplash();
    AddPartners();
    m_spProgressBar = DynamicCast<Sprite>(GetComponent(kProgressBar));
    ClipProgressBar(0.0f);
    m_BusyCursor.SetUsed(true);
}

void SceneLoad::PlayMusic() {
    if (!ResourceManager::g_Instance || !SoundManager::g_Instance)
        return;
    auto* stream = DynamicCast<SoundStream>(ResourceManager::g_Instance->GetResource(kMusic, kMusicSection));
    if (stream)
        SoundManager::g_Instance->PlayStream(stream, false, SoundManager::STREAM_MODE);
}

void SceneLoad::DropSplash() {
    if (ResourceManager::g_Instance)
        ResourceManager::g_Instance->RemoveSection(kSplashSection, false);
    if (SceneManager::g_Instance)
        SceneManager::g_Instance->RemoveScene(kSplashScene);
}

void SceneLoad::AddPartners() {
    SmartPtr<PropertyStore> partners(new PropertyStore());
    if (!partners->IsValidXMLFile(kPartnersFile) || !partners->Load(kPartnersFile))
        return;
    if (PropertyVector* components = partners->GetVector(kPartnersKey))
        AddComponents(components, true);
}

void SceneLoad::ClipProgressBar(float fraction) {
    Sprite* bar = m_spProgressBar.Get();
    if (!bar)
        return;
    const float left = bar->GetX() - std::trunc(bar->GetAnchorPointX());
    const float top = bar->GetY() - std::trunc(bar->GetAnchorPointY());
    bar->SetClipRect(left, top, fraction * bar->GetWidth(), bar->GetHeight());
}

float SceneLoad::BarFraction(float start, float p) {
    if (start >= 1.0f)
        return 1.0f;
    const float fraction = (p - start) / (1.0f - start);
    return fraction < 0.0f ? 0.0f : (fraction > 1.0f ? 1.0f : fraction);
}

void SceneLoad::Tick(int deltaMs) {
    if (m_bDone)
        return;
    m_iElapsed += deltaMs;
    ResourceManager* resources = ResourceManager::g_Instance;
    if (m_iElapsed > MINIMUM_TIME_MS && (!resources || resources->IsComplete())) {
        m_bDone = true;
        m_BusyCursor.SetUsed(false);
        if (m_spProgressBar)
            m_spProgressBar->SetClipPolygon(nullptr);
        GetAnimContainer()->LinkNode(ConstructModifierMethod(this, &SceneLoad::GotoSelection));
        return;
    }
    // The sleep leaves the processor to the loader thread; once everything
    // is loaded there is nothing to give it, and the scene just waits out
    // its minimum time.
    if (resources && !resources->IsComplete())
        Platform::Sleep(LOADER_SLEEP_MS);
    const float progress = resources ? resources->GetLoadProgress() : 1.0f;
    if (m_fStartProgress < 0.0f)
        m_fStartProgress = progress;
    ClipProgressBar(BarFraction(m_fStartProgress, progress));
}

void SceneLoad::GotoSelection() {
    SceneManager* scenes = SceneManager::g_Instance;
    if (!scenes)
        return;
    scenes->CreateSceneTransition(kDefaultTransition);
    scenes->EnterScene(kSelectionScene);
}
