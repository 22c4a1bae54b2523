// Feeds arbitrary bytes to the player profile as its "delvor" save game,
// runs the profile's rules over what was read, then saves it and reads it
// back: the progress must come back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/io/PlayerManager.h"
#include "fuzz/SaveFolderFixture.h"
#include "source/main/DelvorPlayer.h"

using ZQ2::PlayerManager;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzfixture::SaveFolder();
    PlayerManager::CreateInstance(false, "1");
    PlayerManager* players = PlayerManager::g_Instance;
    fuzzfixture::WriteFile(players->GetSaveGameFileName(SAVEGAME_DELVOR, "Ann"), data, size);
    auto* ann = static_cast<DelvorPlayer*>(players->AddPlayer(new DelvorPlayer("Ann")));
    ann->LoadData(nullptr);

    int country = 0;
    int day = 0;
    ann->GetHighestLevelBeaten(country, day);
    const int trophy = ann->GetLastTrophy();
    (void)ann->GetTotalMoneyEarned();
    (void)ann->GetTotalArtifactsFound();
    for (int step = -1; step <= DelvorPlayer::TUTORIAL_STEPS; ++step)
        (void)ann->CanShowTutorial(step);
    (void)ann->GetMiniGameCardValue(0, 0, -1);
    ann->SaveData(nullptr);

    ZQ2::SmartPtr<DelvorPlayer> again(new DelvorPlayer("Ann"));
    again->LoadData(nullptr);
    int againCountry = 0;
    int againDay = 0;
    again->GetHighestLevelBeaten(againCountry, againDay);
    if (againCountry != country || againDay != day || again->GetLastTrophy() != trophy)
        std::abort();
    PlayerManager::ReleaseInstance();
    return 0;
}
