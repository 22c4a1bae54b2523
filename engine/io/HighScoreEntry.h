#pragma once
// One line of a high-score table: a player's name and score, the
// installation that made it, and whether it belongs to the table's initial
// contents.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/UTF8String.h"
#include "engine/io/ObjectInitializer.h"

namespace ZQ2 {

class AbstractProperty;
class URL;

extern const char* const TYPEDEF_HIGHSCORE_ENTRY;
extern const char* const PROP_SCORE_VALUE;
extern const char* const PROP_PLAYER_NAME;
extern const char* const PROP_IS_PREFILLED_SCORE;
extern const char* const PROP_UID;
extern const char* const PROP_SCORE;

class HighScoreEntry : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Made on this installation: carries the manager's uid (a manager must exist).
    HighScoreEntry(const std::string& name, int score, bool prefilled);
    // Read back from a scores file or an online list.
    explicit HighScoreEntry(AbstractProperty* prop);
    static BaseObject* OnData(AbstractProperty* prop) { return new HighScoreEntry(prop); }
    const RTTI& GetRTTI() const override { return rtti; }

    virtual void Save(AbstractProperty* node);
    // Whether this entry ranks at or below other.
    virtual bool IsLowerOrEqual(HighScoreEntry* other);
    virtual void FillOnlineParameters(URL& url) const;

    bool IsCurrentPlayerScore() const;

    const UTF8String& GetName() const { return m_Name; }
    int GetScore() const { return m_iScore; }
    bool IsPrefilled() const { return m_bPrefilled; }
    int GetUid() const { return m_iUid; }
    int GetOrderKey() const { return m_iOrderKey; }

private:
    UTF8String m_Name;
    int m_iScore = 0;
    bool m_bPrefilled = false;
    int m_iUid = 0;
    int m_iOrderKey = -1;

    static ObjectInitializer m_ObjectInitializer;
};

}  // namespace ZQ2
