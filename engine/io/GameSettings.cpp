#include "engine/io/GameSettings.h"

#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const char* const PROP_FULLSCREEN = "fullscreen";
const char* const PROP_USE_HINTS = "usehints";
const char* const PROP_SOUND_VOLUME = "soundvolume";
const char* const PROP_MUSIC_VOLUME = "musicvolume";
const char* const PROP_ONLINE_HIGHSCORES = "onlinescores";
const char* const PROP_SHOW_MORE_GAMES = "showmoregames";
const char* const PROP_MORE_GAMES_URL = "moregamesurl";

const RTTI* const GameSettings::rttis[] = {nullptr};
const RTTI GameSettings::rtti("GameSettings", GameSettings::rttis);

void GameSettings::Save(AbstractProperty* node) {
    PropertyNode* keys = node ? node->ToNode() : nullptr;
    if (!keys)
        return;
    keys->InsertBoolean(PROP_FULLSCREEN, IsFullscreen(), false);
    keys->InsertBoolean(PROP_USE_HINTS, UseHints(), false);
    keys->InsertProperty(new PropertyValue(PROP_SOUND_VOLUME, GetSoundVolume()));
    keys->InsertProperty(new PropertyValue(PROP_MUSIC_VOLUME, GetMusicVolume()));
}

// A key is found by name whether it is an element or an attribute, so the
// switches that earlier versions stored as attributes still read.
void GameSettings::Load(AbstractProperty* node) {
    PropertyNode* keys = node ? node->ToNode() : nullptr;
    if (!keys)
        return;
    if (keys->HasProperty(PROP_FULLSCREEN))
        SetFullscreen(keys->GetValue(PROP_FULLSCREEN)->ToBoolean());
    if (keys->HasProperty(PROP_USE_HINTS))
        SetUseHints(keys->GetValue(PROP_USE_HINTS)->ToBoolean());
    if (keys->HasProperty(PROP_SOUND_VOLUME))
        SetSoundVolume(keys->GetValue(PROP_SOUND_VOLUME)->ToFloat());
    if (keys->HasProperty(PROP_MUSIC_VOLUME))
        SetMusicVolume(keys->GetValue(PROP_MUSIC_VOLUME)->ToFloat());
    if (keys->HasProperty(PROP_ONLINE_HIGHSCORES))
        m_bOnlineHighscores = keys->GetValue(PROP_ONLINE_HIGHSCORES)->ToBoolean();
    if (keys->HasProperty(PROP_SHOW_MORE_GAMES))
        m_bShowMoreGames = keys->GetValue(PROP_SHOW_MORE_GAMES)->ToBoolean();
    if (keys->HasProperty(PROP_MORE_GAMES_URL))
        m_sMoreGamesURL = keys->GetValue(PROP_MORE_GAMES_URL)->GetValue();
}

void GameSettings::CopyFrom(GameSettings* other) {
    if (!other)
        return;
    SetFullscreen(other->IsFullscreen());
    SetUseHints(other->UseHints());
    SetSoundVolume(other->GetSoundVolume());
    SetMusicVolume(other->GetMusicVolume());
}

}  // namespace ZQ2
