// Feeds arbitrary bytes to the player manager as its player list and as a
// player's data file, then saves and reads the list back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/io/PlayerManager.h"
#include "fuzz/SaveFolderFixture.h"

using ZQ2::PlayerManager;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = fuzzfixture::SaveFolder();
    PlayerManager::CreateInstance(false, "1");
    PlayerManager* players = PlayerManager::g_Instance;
    fuzzfixture::WriteFile(players->GetPlayerListFileName(), data, size);
    fuzzfixture::WriteFile(players->GetPlayerDataFileName("Ann"), data, size);
    players->LoadFromDisk();
    const int count = players->GetPlayers().size();
    ZQ2::SmartPtr<ZQ2::AbstractPlayer> ann(new ZQ2::AbstractPlayer("Ann"));
    players->LoadPlayerData(ann.Get());
    PlayerManager::SaveToDisk();
    PlayerManager::ReleaseInstance();

    // What was read is written so that it reads back the same.
    PlayerManager::CreateInstance(false, "1");
    PlayerManager::g_Instance->LoadFromDisk();
    if (PlayerManager::g_Instance->GetPlayers().size() != count)
        std::abort();
    PlayerManager::ReleaseInstance();
    return 0;
}
