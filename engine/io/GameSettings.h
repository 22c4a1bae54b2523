#pragma once
// The player's settings (full screen, hints, volumes and a few switches) as
// one record that a game may extend with keys of its own.
#include <string>

#include "engine/core/RTTI.h"

namespace ZQ2 {

class AbstractProperty;

extern const char* const PROP_FULLSCREEN;
extern const char* const PROP_USE_HINTS;
extern const char* const PROP_SOUND_VOLUME;
extern const char* const PROP_MUSIC_VOLUME;
extern const char* const PROP_ONLINE_HIGHSCORES;
extern const char* const PROP_SHOW_MORE_GAMES;
extern const char* const PROP_MORE_GAMES_URL;

class GameSettings {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    GameSettings() = default;
    virtual const RTTI& GetRTTI() const { return rtti; }
    virtual ~GameSettings() = default;

    // The four settable keys; the three switches are read only.
    virtual void Save(AbstractProperty* node);
    virtual void Load(AbstractProperty* node);
    virtual void CopyFrom(GameSettings* other);

    virtual bool IsFullscreen() const { return m_bFullscreen; }
    virtual bool UseHints() const { return m_bUseHints; }
    virtual float GetSoundVolume() const { return m_fSoundVolume; }
    virtual float GetMusicVolume() const { return m_fMusicVolume; }
    virtual void SetFullscreen(bool fullscreen) { m_bFullscreen = fullscreen; }
    virtual void SetUseHints(bool useHints) { m_bUseHints = useHints; }
    virtual void SetSoundVolume(float volume) { m_fSoundVolume = volume; }
    virtual void SetMusicVolume(float volume) { m_fMusicVolume = volume; }
    virtual bool UseOnlineHighscores() const { return m_bOnlineHighscores; }
    virtual bool ShowMoreGamesButton() const { return m_bShowMoreGames; }
    virtual std::string GetMoreGamesURL() const { return m_sMoreGamesURL; }

private:
    bool m_bFullscreen = true;
    bool m_bUseHints = true;
    float m_fSoundVolume = 1.0f;
    float m_fMusicVolume = 1.0f;
    bool m_bOnlineHighscores = true;
    bool m_bShowMoreGames = true;
    std::string m_sMoreGamesURL;
};

}  // namespace ZQ2
