// Feeds arbitrary bytes to the preferences file reader; what it accepts must
// be written and read back to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/PreferencesStore.h"

using platform::PreferencesStore;

namespace {

bool Same(const PreferencesStore::Entries& a, const PreferencesStore::Entries& b) {
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
        if (i->first != j->first || i->second.m_bInteger != j->second.m_bInteger)
            return false;
        if (i->second.m_bInteger ? i->second.m_iNumber != j->second.m_iNumber : i->second.m_sText != j->second.m_sText)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    PreferencesStore::Entries entries;
    if (!PreferencesStore::Parse(text, entries))
        return 0;
    PreferencesStore::Entries again;
    if (!PreferencesStore::Parse(PreferencesStore::Format(entries), again) || !Same(entries, again))
        std::abort();
    return 0;
}
