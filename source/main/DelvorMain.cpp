#include "source/main/DelvorMain.h"

#include <cctype>
#include <cstdio>

#include "engine/app/CheatManager.h"
#include "engine/core/Platform.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceFont.h"
#include "engine/resource/ResourceImage.h"
#include "engine/resource/ResourceManager.h"
#include "engine/resource/ResourceSound.h"
#include "engine/resource/ResourceStream.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransitionAlpha.h"
#include "engine/scene/SceneTransitionFadeBlack.h"
#include "engine/sprite/ButtonURL.h"
#include "engine/sprite/DialogPainter.h"
#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/Switch.h"
#include "platform/QuitSignal.h"
#include "source/dialogs/DialogSettings.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/DelvorUpgrade.h"

using namespace ZQ2;

const RTTI* const DelvorMain::rttis[] = {&Application::rtti, nullptr};
const RTTI DelvorMain::rtti("DelvorMain", DelvorMain::rttis);

int DelvorMain::m_nCurCountry = 1;
int DelvorMain::m_nCurDay = 1;
int DelvorMain::m_nPrevCountry = -1;
int DelvorMain::m_nPrevDay = -1;
bool DelvorMain::m_bReplayStage = false;
std::string DelvorMain::m_strCurScene;
Scene* DelvorMain::m_SceneLoad = nullptr;
Scene* DelvorMain::m_SceneSelection = nullptr;
Scene* DelvorMain::m_SceneMap = nullptr;
Scene* DelvorMain::m_SceneGame = nullptr;

const char* const DelvorMain::CHEAT_WORD = "mvtrolk";
const char* const DelvorMain::QUIT_MESSAGE_KEY = "CTEXT_QUESTION_QUIT";
const char* const DelvorMain::QUIT_HEADER_KEY = "CTEXT_QUIT_HEADER";

namespace {

const char* const kManifestName = "properties/application.xml";

const char szCountriesUpper[DelvorMain::COUNTRY_COUNT][DelvorMain::NAME_SIZE] = {
    "GREECE", "EGYPT", "SIAM", "TAHITI", "USA", "PERU", "ATLANTIS"};
const char szCountriesLower[DelvorMain::COUNTRY_COUNT][DelvorMain::NAME_SIZE] = {
    "greece", "egypt", "siam", "tahiti", "usa", "peru", "atlantis"};

// The row of a naming table, or null for a country outside the table.
const char* CountryRow(const char (&table)[DelvorMain::COUNTRY_COUNT][DelvorMain::NAME_SIZE], int country) {
    if (country < 1 || country > DelvorMain::COUNTRY_COUNT)
        return nullptr;
    return table[country - 1];
}

// The engine classes only data names: referenced here so that they and
// their factory entries are part of the program.
const RTTI* const kDataOnlyClasses[] = {
    &ResourceImage::rtti,    &ResourceSound::rtti, &ResourceStream::rtti,           &ResourceFont::rtti,
    &DialogPainter::rtti,    &SceneTransitionAlpha::rtti, &ButtonURL::rtti,          &LabelStyle::rtti,
    &Switch::rtti,           &SceneTransitionFadeBlack::rtti,
};

// Set while a quit question is being prepared: a close request that
// arrives during its wait must not start a second one.
bool g_bQuitQuestionPending = false;

}  // namespace

DelvorMain::DelvorMain() : Application(kManifestName) { (void)kDataOnlyClasses; }

DelvorMain::~DelvorMain() { DelvorMain::RemoveInstances(); }

void DelvorMain::CreateInstance() {
    auto* application = new DelvorMain();
    Application::g_Instance = application;
    application->AddRef();
}

// ---- application hooks

void DelvorMain::ParseCommand(AbstractProperty* command) {
    PropertyNode* node = command ? command->ToNode() : nullptr;
    if (!node || node->GetPropString("name") != "upgrades") {
        Application::ParseCommand(command);
        return;
    }
    DVUpgradeHandler::CreateInstance();
    SmartPtr<PropertyStore> store(new PropertyStore(node->GetPropString("file")));
    store->Load();
    for (const auto& child : *store->GetNode("upgrades")) {
        // Held while checked: anything that is not an upgrade is dropped again.
        const SmartPtr<BaseObject> object(child ? ObjectFactory::Instance()->CreateObject(child.Get()) : nullptr);
        if (auto* upgrade = DynamicCast<DelvorUpgrade>(object.Get()))
            DVUpgradeHandler::g_Instance->AddUpgradeToMasterList(upgrade);
    }
    // The player list was read before the upgrades: the current player's
    // records can only become upgrades now.
    DVUpgradeHandler::g_Instance->SetupUserUpgradesForCurrentPlayer();
}

ZQ2::GameSettings* DelvorMain::CreateGameSpecificSettings() { return new DelvorGameSettings; }

void DelvorMain::CreateScenes() {
    SceneManager* scenes = SceneManager::g_Instance;
    if (!scenes)
        return;
    scenes->CreateScene("SCENE_SPLASH");
    m_SceneLoad = scenes->CreateScene("SCENE_LOAD");
    m_SceneSelection = scenes->CreateScene("SCENE_SELECTION");
    m_SceneMap = scenes->CreateScene("SCENE_MAP");
}

void DelvorMain::AddCheats() {
    if (CheatManager::g_Instance)
        CheatManager::g_Instance->AddCheat(CHEAT_WORD, nullptr, 0, nullptr, 0);
}

void DelvorMain::RemoveInstances() {
    Application::RemoveInstances();
    DVUpgradeHandler::ReleaseInstance();
    m_SceneLoad = nullptr;
    m_SceneSelection = nullptr;
    m_SceneMap = nullptr;
    m_SceneGame = nullptr;
}

bool DelvorMain::CheckAllowedBoolean(PropertyNode* node) {
    if (node && node->HasProperty("onlydev") && node->GetValue("onlydev")->ToBoolean())
        return false;
    return Application::CheckAllowedBoolean(node);
}

// ---- campaign rules and names

bool DelvorMain::IsUpgradeShopLevel() {
    const int day = m_nCurDay;
    switch (m_nCurCountry) {
        case 1: return day > 1;
        case 2: return day % 2 == 0;
        default: return day > 1 && (day - 1) % 3 == 0;
    }
}

void DelvorMain::MoveOnAfterDay(int country, int day, bool won) {
    m_nCurCountry = country;
    m_nCurDay = day;
    m_bReplayStage = !won;
    if (!won)
        return;
    if (day < GetMaxDayForCountry(country)) {
        m_nCurDay = day + 1;
        return;
    }
    // The map, the globe and the level names end with the last country.
    if (country >= COUNTRY_COUNT)
        return;
    m_nCurCountry = country + 1;
    m_nCurDay = 1;
}

int DelvorMain::GetMaxDayForCountry(int country) {
    if (country == -1)
        country = m_nCurCountry;
    switch (country) {
        case 1: return 4;
        case 2: return 6;
        default: return MAX_DAYS;
    }
}

bool DelvorMain::GetCountryName(std::string& out, int country, int day) {
    char name[64];
    std::snprintf(name, sizeof name, "LEVEL%d_%d", country, day);
    out = name;
    return true;
}

bool DelvorMain::GetCurCountryName(std::string& out) { return GetCountryName(out, m_nCurCountry, m_nCurDay); }

bool DelvorMain::GetPrevCountryName(std::string& out) {
    if (m_nPrevCountry < 1 || m_nPrevDay < 0)
        return false;
    return GetCountryName(out, m_nPrevCountry, m_nPrevDay);
}

namespace {
constexpr int kLongestDay = 100000;
}  // namespace

bool DelvorMain::GetCountryAndDayFromName(std::string name, int& country, int& day) {
    country = 0;
    day = 0;
    bool found = false;
    for (const char c : name) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            continue;
        const int digit = c - '0';
        if (!found)
            country = digit;
        else if (day < kLongestDay)  // a name of many digits must not overflow
            day = day * 10 + digit;
        found = true;
    }
    return found;
}

void DelvorMain::GetCountryResourceName(int country, std::string& out) {
    const char* row = CountryRow(szCountriesUpper, country);
    out = row ? row : "";
}

void DelvorMain::GetCountryResourceLowercaseName(int country, std::string& out) {
    const char* row = CountryRow(szCountriesLower, country);
    out = row ? row : "";
}

void DelvorMain::GetCountrySpecificSection(int country, std::string& out) {
    const char* row = CountryRow(szCountriesLower, country);
    out = row ? std::string("level_") + row : std::string();
}

void DelvorMain::StartScene(std::string name) {
    m_strCurScene = name;
    if (SceneManager::g_Instance)
        SceneManager::g_Instance->EnterScene(m_strCurScene);
}

// ---- quit question and waits

void DelvorMain::ShowQuitMessage(BaseObject*, BaseObject*) {
    SceneManager* scenes = SceneManager::g_Instance;
    Scene* scene = scenes ? scenes->GetCurrentMainScene() : nullptr;
    if (!scene || g_bQuitQuestionPending || scene->IsActiveDialog(QUIT_MESSAGE_KEY))
        return;
    g_bQuitQuestionPending = true;
    const SmartPtr<Scene> keepScene(scene);
    WaitForSection("default");
    g_bQuitQuestionPending = false;
    if (!g_ApplicationRunning)
        return;
    DialogYesNo* dialog = CreateYesNoDialog(QUIT_MESSAGE_KEY, QUIT_HEADER_KEY, Application::g_Instance,
                                            &Application::QuitApp_Callback, nullptr, nullptr, scene);
    scene->ActivateDialog(dialog);
}

bool DelvorMain::WaitForSection(const std::string& section) {
    ResourceManager* resources = ResourceManager::g_Instance;
    if (!resources)
        return false;
    if (!resources->WaitingFor(section) && !resources->GetSection(section)) {
        Platform::OutputDebugString("Resource section \"" + section + "\" is unknown; not waiting for it.\n");
        return false;
    }
    float progress = resources->GetLoadProgress();
    unsigned stalledSince = Platform::GetMilliseconds();
    while (!resources->IsComplete()) {
        // A signal that arrives meanwhile still ends the game; the main loop
        // would not see it before the wait is over.
        if (platform::QuitSignal::TakePending())
            QuitApp_Callback(Application::g_Instance, nullptr);
        if (!resources->IsRunning() || !g_ApplicationRunning) {
            Platform::OutputDebugString("Stopped waiting for resource section \"" + section + "\".\n");
            return false;
        }
        // Events keep flowing so the window stays responsive to its close button.
        while (Platform::DispatchOneSystemEvent()) {
        }
        const float now = resources->GetLoadProgress();
        if (now != progress) {
            progress = now;
            stalledSince = Platform::GetMilliseconds();
        } else if (Platform::GetMilliseconds() - stalledSince > WAIT_STALL_MS) {
            Platform::OutputDebugString("Resource section \"" + section + "\" makes no progress; skipped.\n");
            return false;
        }
        Platform::Sleep(1);
    }
    return true;
}
