// Feeds arbitrary bytes to the high-score manager as its scores file; the
// tables it reads must respect their sizes and survive a save and reload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/io/HighScoreManager.h"
#include "fuzz/SaveFolderFixture.h"

using ZQ2::HighScoreManager;

namespace {

int CountEntries() {
    int total = 0;
    for (const auto& [name, table] : HighScoreManager::g_Instance->GetTables()) {
        const int size = table->GetEntries().size();
        if (table->GetMaxEntries() > 0 && size > table->GetMaxEntries())
            std::abort();
        total += size;
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzfixture::SaveFolder();
    HighScoreManager::CreateInstance(false, "1");
    fuzzfixture::WriteFile(HighScoreManager::g_Instance->GetHighScoreFileName(), data, size);
    HighScoreManager::g_Instance->LoadFromDisk();
    const int entries = CountEntries();
    HighScoreManager::SaveToDisk();
    HighScoreManager::ReleaseInstance();

    HighScoreManager::CreateInstance(false, "1");
    HighScoreManager::g_Instance->LoadFromDisk();
    if (CountEntries() != entries)
        std::abort();
    HighScoreManager::ReleaseInstance();
    return 0;
}
