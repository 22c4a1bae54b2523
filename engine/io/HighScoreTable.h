#pragma once
// A bounded, ordered list of high-score entries, best first.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/io/HighScoreEntry.h"

namespace ZQ2 {

class AbstractProperty;

extern const char* const PROP_DESCENDING;
extern const char* const PROP_MAX_ENTRIES;
extern const char* const PROP_LAST_SCORE;
extern const char* const PROP_ENTRIES;

class HighScoreTable : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    using Entries = ZQVector<SmartPtr<HighScoreEntry>>;

    HighScoreTable(int maxEntries, bool descending);
    // A table node of the scores file; at most its size of entries is kept.
    explicit HighScoreTable(AbstractProperty* node);
    const RTTI& GetRTTI() const override { return rtti; }

    // The entry's position, or -1 when it was not taken.
    int AddScore(SmartPtr<HighScoreEntry> entry);
    int AddScore(const std::string& name, int score, bool unused);
    bool IsHighScore(SmartPtr<HighScoreEntry> entry) const;
    bool IsHighScore(int score) const;
    bool ContainsPlayer(const std::string& name) const;
    void Clear();
    void Save(AbstractProperty* node);

    const Entries& GetEntries() const { return m_Entries; }
    bool IsDescending() const { return m_bDescending; }
    int GetLastScore() const { return m_iLastScore; }
    void SetLastScore(int position) { m_iLastScore = position; }
    int GetMaxEntries() const { return m_iMaxEntries; }

private:
    Entries m_Entries;
    bool m_bDescending = true;
    int m_iLastScore = -1;
    int m_iMaxEntries = 0;
};

}  // namespace ZQ2
