#pragma once
// Every name of the game's data that the game's code asks for: resource
// sections and resources, scenes, transitions, dialogs with the components
// the code looks up, texts, constants and the optional property files. The
// data check loads each of them from data/; a class that names something
// new adds it here.
#include <vector>

namespace gamedata {

// The manifest, its data files and resource lists.
inline const char* const kManifest = "properties/application.xml";
// Manifest commands that must come in this order (others may stand between).
inline const std::vector<const char*> kCommandOrder = {"basicproperties", "datamanager", "gamewindow", "renderer",
                                                       "soundmanager",    "resourcemanager", "upgrades",
                                                       "createscenes",    "activatescene",   "taskmanager"};
inline const char* const kFirstScene = "SCENE_SPLASH";

inline const std::vector<const char*> kSections = {
    "default", "preloading", "splash", "music",
    // The in-level menu, pause, settings, help and credits dialogs.
    "help", "scenegame",
    // the dig site
    "delvor",
};

enum class Kind { Image, Font, Sound, Stream };

struct Resource {
    const char* name;
    const char* section;
    Kind kind;
};

inline const std::vector<Resource> kResources = {
    {"SOUND_UI_DIALOG_OPEN", "default", Kind::Sound},
    {"SOUND_UI_DIALOG_CLOSE", "default", Kind::Sound},
    {"BUTTON_OK", "default", Kind::Image},
    {"MUSIC_MAP_SELECTION", "music", Kind::Stream},
    // the Greek dig site
    {"MUSIC_GREECE", "level_greece", Kind::Stream},
    // SceneGame's own pictures and the clock's flash
    {"BACKGROUND", "scenegame", Kind::Image},
    {"TABLE_VURU", "scenegame", Kind::Image},
    {"TABLE_DOVIDI", "scenegame", Kind::Image},
    {"TABLE_COOKIE", "scenegame", Kind::Image},
    {"BG_ARTIFACT_CRATE", "scenegame", Kind::Image},
    {"LID_ARTIFACT_CRATE", "scenegame", Kind::Image},
    {"BUTTON_HOURGLASS", "scenegame", Kind::Image},
    {"BUTTON_MENU_LEVEL", "scenegame", Kind::Image},
    {"CLOCK_FRAME", "scenegame", Kind::Image},
    {"CLOCK_HAND", "scenegame", Kind::Image},
    {"TIMER_FRAME_RED", "delvor", Kind::Image},
    {"TIMER_FRAME_BLUE", "delvor", Kind::Image},
    // The in-level menu, pause, settings, help and credits dialogs.
    {"SOUND_UI_PAUSE", "scenegame", Kind::Sound},
    {"SOUND_UI_RESUME", "scenegame", Kind::Sound},
    {"SOUND_UI_SLIDER_DRAG", "default", Kind::Sound},
    {"HELP_SCREEN1", "help", Kind::Image},
    {"HELP_SCREEN2", "help", Kind::Image},
    {"HELP_SCREEN3", "help", Kind::Image},
    {"HELP_SCREEN4", "help", Kind::Image},
    // the main menu and the player dialogs
    {"SOUND_TICK", "default", Kind::Sound},
    {"BUTTON_PLAY", "default", Kind::Image},
    {"BUTTON_HELP", "default", Kind::Image},
    {"BUTTON_SETTINGS", "default", Kind::Image},
    {"BUTTON_HIGHSCORES", "default", Kind::Image},
    {"BUTTON_TROPHIES", "default", Kind::Image},
    {"BUTTON_CHANGENAME", "default", Kind::Image},
    {"BUTTON_MOREGAMES", "default", Kind::Image},
    {"BUTTON_ADD", "default", Kind::Image},
    {"BUTTON_REMOVE", "default", Kind::Image},
    {"BUTTON_CANCEL", "default", Kind::Image},
    {"BUTTON_BACK", "default", Kind::Image},
    {"NAME_ROW", "default", Kind::Image},
    {"NAME_ROW_BORDER", "default", Kind::Image},
    {"LOGO_SHINE1", "default", Kind::Image},
    {"LOGO_SHINE2", "default", Kind::Image},
    {"START_SPARKLE", "default", Kind::Image},
    // DelvorReqBalloon and DelvorMeter
    {"REQ_SPEECH_HOLE", "delvor", Kind::Image},
    {"REQ_SPEECH_LEFT_1P", "delvor", Kind::Image},
    {"REQ_SPEECH_RIGHT_1P", "delvor", Kind::Image},
    {"REQ_SPEECH_2P", "delvor", Kind::Image},
    {"REQ_SPEECH_VURU_2ITEM", "delvor", Kind::Image},
    {"REQ_SHOVEL", "delvor", Kind::Image},
    {"REQ_SHOVEL_UP1", "delvor", Kind::Image},
    {"REQ_SHOVEL_UP2", "delvor", Kind::Image},
    {"REQ_PICK", "delvor", Kind::Image},
    {"REQ_PICK_UP1", "delvor", Kind::Image},
    {"REQ_PICK_UP2", "delvor", Kind::Image},
    {"REQ_VURU", "delvor", Kind::Image},
    {"REQ_SIFTER", "delvor", Kind::Image},
    {"REQ_SIFTER_UP1", "delvor", Kind::Image},
    {"REQ_SIFTER_UP2", "delvor", Kind::Image},
    {"REQ_BRUSH", "delvor", Kind::Image},
    {"REQ_BRUSH_UP1", "delvor", Kind::Image},
    {"REQ_BRUSH_UP2", "delvor", Kind::Image},
    {"REQ_BOTTLE", "delvor", Kind::Image},
    {"REQ_MEDICINE", "delvor", Kind::Image},
    {"REQ_APPLE", "delvor", Kind::Image},
    {"REQ_APPLE_UP1", "delvor", Kind::Image},
    {"REQ_APPLE_UP2", "delvor", Kind::Image},
    {"REQ_SANDWICH", "delvor", Kind::Image},
    {"REQ_SANDWICH_UP1", "delvor", Kind::Image},
    {"REQ_SANDWICH_UP2", "delvor", Kind::Image},
    {"REQ_CANTEEN", "delvor", Kind::Image},
    {"REQ_CANTEEN_UP1", "delvor", Kind::Image},
    {"REQ_CANTEEN_UP2", "delvor", Kind::Image},
    {"METER_BACKGROUND", "delvor", Kind::Image},
    {"METER_DIRT", "delvor", Kind::Image},
    {"METER_ARROW", "delvor", Kind::Image},
    {"METER_ROCK", "delvor", Kind::Image},
    {"METER_SHADOW_ROCK", "delvor", Kind::Image},
    {"METER_ARTIFACT_GOLD", "delvor", Kind::Image},
    {"METER_SHADOW_ARTIFACT_GOLD", "delvor", Kind::Image},
    {"METER_ARTIFACT_SILVER", "delvor", Kind::Image},
    {"METER_SHADOW_ARTIFACT_SILVER", "delvor", Kind::Image},
    {"METER_ARTIFACT_BRONZE", "delvor", Kind::Image},
    {"METER_SHADOW_ARTIFACT_BRONZE", "delvor", Kind::Image},
    {"METER_SHADOW_ARTIFACT_BACK", "delvor", Kind::Image},
    {"METER_SPARKLE_01", "delvor", Kind::Image},
    {"METER_SPARKLE_02", "delvor", Kind::Image},
    {"METER_SPARKLE_03", "delvor", Kind::Image},
    // DelvorHole
    {"HOLES_HOLE1", "delvor", Kind::Image},
    {"HOLES_SURVEY", "delvor", Kind::Image},
    {"HOLES_FINISHED_ROPES", "delvor", Kind::Image},
    {"DUST_SIFT", "delvor", Kind::Image},
    {"DUST_BRUSH", "delvor", Kind::Image},
    {"DUST_BOTTLE", "delvor", Kind::Image},
    {"ARTIFACT_DIRTY1", "delvor", Kind::Image},
    {"ARTIFACT_DIRTY2", "delvor", Kind::Image},
    {"ARTIFACT_DIRTY3", "delvor", Kind::Image},
    {"SOUND_HOLE_REQUEST_DIGGER", "delvor", Kind::Sound},
    {"SOUND_HOLE_REQUEST_PICKER", "delvor", Kind::Sound},
    {"SOUND_HOLE_REQUEST_VURU", "delvor", Kind::Sound},
    {"SOUND_HOLE_FINISHED", "delvor", Kind::Sound},
    {"SOUND_VURU_SIFTS", "delvor", Kind::Sound},
    {"SOUND_VURU_BRUSHES", "delvor", Kind::Sound},
    {"SOUND_VURU_SPRAYS", "delvor", Kind::Sound},
    {"HOLES_GREECE_BACK1", "level_greece", Kind::Image},
    {"HOLES_GREECE_TILE1", "level_greece", Kind::Image},
    {"HOLES_GREECE_BACK2", "level_greece", Kind::Image},
    {"HOLES_GREECE_TILE2", "level_greece", Kind::Image},
    {"HOLES_GREECE_BACK3", "level_greece", Kind::Image},
    {"HOLES_GREECE_TILE3", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE1", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE2", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE3", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE4", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE5", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE6", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE7", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE8", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE9", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE10", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE11", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE12", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE13", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE14", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE15", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE16", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE17", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE18", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE19", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE20", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE21", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE22", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE23", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE24", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE25", "level_greece", Kind::Image},
    {"ARTIFACT_GREECE26", "level_greece", Kind::Image},
};

struct Component {
    const char* name;
    const char* tag;  // the class the code takes it as
};

struct Described {
    const char* name;
    const char* tag;  // the class of the description
    std::vector<Component> components;
};

// Scenes and the components their code looks up by name.
inline const std::vector<Described> kScenes = {
    {"SCENE_SPLASH", "SceneSplash", {}},
    {"SCENE_LOAD", "SceneLoad", {{"PROGRESS_BAR", "Sprite"}}},
    {"SCENE_SELECTION",
     "SceneSelection",
     {{"BUTTON_QUIT", "Button"},
      {"LABEL_PLAYERNAME", "Label"},
      // the main menu
      {"BUTTON_PLAY", "Button"},
      {"BUTTON_HELP", "Button"},
      {"BUTTON_SETTINGS", "Button"},
      {"BUTTON_HIGHSCORES", "Button"},
      {"BUTTON_TROPHIES", "Button"},
      {"BUTTON_CHANGENAME", "Button"},
      {"BUTTON_MOREGAMES", "Button"},
      {"LOGO_MM", "Sprite"},
      {"START_SPARKLE01", "Sprite"},
      {"START_SPARKLE02", "Sprite"},
      {"START_SPARKLE03", "Sprite"}}},
    // stand-ins of the scenes the main menu enters
    {"SCENE_MAP", "SceneFrontStandIn", {{"BUTTON_BACK", "Button"}, {"BUTTON_PLAY", "Button"}}},
    {"STORY_INTRO", "SceneFrontStandIn", {{"BUTTON_BACK", "Button"}}},
    {"SCENE_TROPHY", "SceneFrontStandIn", {{"BUTTON_BACK", "Button"}}},
    {"LEVEL1_1", "SceneGame", {{"FUNDS_EARNED_TEXT", "Label"}, {"FUNDS_GOAL_TEXT", "Label"}, {"DAY_TEXT", "Label"}, {"Menu_Button", "Button"}, {"CLOCK", "DelvorClock"}, {"BG_BACK", "Sprite"}, {"BG_FRONT", "Sprite"}, {"TABLE_VURU", "Sprite"}, {"TABLE_DOVIDI", "Sprite"}, {"TABLE_COOKIE", "Sprite"}, {"HOLE1", "DelvorHole"}, {"HOLE8", "DelvorHole"}}},
    {"LEVEL1_2", "SceneGame", {{"FUNDS_EARNED_TEXT", "Label"}, {"FUNDS_GOAL_TEXT", "Label"}, {"DAY_TEXT", "Label"}, {"Menu_Button", "Button"}, {"CLOCK", "DelvorClock"}, {"BG_BACK", "Sprite"}, {"BG_FRONT", "Sprite"}, {"TABLE_VURU", "Sprite"}, {"TABLE_DOVIDI", "Sprite"}, {"TABLE_COOKIE", "Sprite"}, {"HOLE1", "DelvorHole"}, {"HOLE8", "DelvorHole"}}},
    {"LEVEL1_3", "SceneGame", {{"FUNDS_EARNED_TEXT", "Label"}, {"FUNDS_GOAL_TEXT", "Label"}, {"DAY_TEXT", "Label"}, {"Menu_Button", "Button"}, {"CLOCK", "DelvorClock"}, {"BG_BACK", "Sprite"}, {"BG_FRONT", "Sprite"}, {"TABLE_VURU", "Sprite"}, {"TABLE_DOVIDI", "Sprite"}, {"TABLE_COOKIE", "Sprite"}, {"HOLE1", "DelvorHole"}, {"HOLE8", "DelvorHole"}}},
    {"LEVEL1_4", "SceneGame", {{"FUNDS_EARNED_TEXT", "Label"}, {"FUNDS_GOAL_TEXT", "Label"}, {"DAY_TEXT", "Label"}, {"Menu_Button", "Button"}, {"CLOCK", "DelvorClock"}, {"BG_BACK", "Sprite"}, {"BG_FRONT", "Sprite"}, {"TABLE_VURU", "Sprite"}, {"TABLE_DOVIDI", "Sprite"}, {"TABLE_COOKIE", "Sprite"}, {"HOLE1", "DelvorHole"}, {"HOLE8", "DelvorHole"}}},
};

inline const std::vector<const char*> kTransitions = {"TRANSITION_SPLASH", "TRANSITION_DEFAULT"};

inline const std::vector<Described> kDialogs = {
    {"DIALOG_YESNO",
     "DialogYesNo",
     {{"HEADER", "Label"}, {"MESSAGE", "Label"}, {"BUTTON_YES", "Button"}, {"BUTTON_NO", "Button"}}},
    // The in-level menu, pause, settings, help and credits dialogs.
    {"DIALOG_MENU",
     "DialogMenu",
     {{"BUTTON_RESUME", "Button"},
      {"BUTTON_HELP", "Button"},
      {"BUTTON_SETTINGS", "Button"},
      {"BUTTON_MAIN", "Button"},
      {"BUTTON_MAPSCREEN", "Button"}}},
    {"DIALOG_PAUSE", "DialogPause", {{"BUTTON_RESUME", "Button"}}},
    {"DIALOG_SETTINGS",
     "DialogSettings",
     {{"SLIDER_FXVOL", "Slider"},
      {"SLIDER_MUSICVOL", "Slider"},
      {"SWITCH_FULLSCREEN", "Switch"},
      {"BUTTON_OK", "Button"},
      {"BUTTON_CANCEL", "Button"},
      {"BUTTON_CREDITS", "Button"}}},
    {"DIALOG_HELP",
     "DialogHelp",
     {{"LABEL_HEADER", "Label"},
      {"HELP_SCREEN", "Sprite"},
      {"BUTTON_PREV", "Button"},
      {"BUTTON_NEXT", "Button"},
      {"BUTTON_OK", "Button"}}},
    {"DIALOG_CREDITS", "DialogCredits", {{"VERSION", "Label"}, {"BUTTON_OK", "Button"}}},
    // the main menu's player dialogs and high scores
    {"DIALOG_PLAYERSELECT",
     "DialogPlayerSelect",
     {{"BUTTON_ADD", "Button"}, {"BUTTON_REMOVE", "Button"}, {"BUTTON_OK", "Button"}, {"BORDER", "Sprite"}}},
    // Its cancel button leaves it while no player exists, as here; the
    // name dialog's own tests look for it.
    {"DIALOG_NEWPLAYER", "DialogNameInput", {{"INPUT_NAME", "LabelInput"}, {"BUTTON_OK", "Button"}}},
    {"DIALOG_HIGHSCORES", "DialogHighScore", {{"BUTTON_OK", "Button"}}},
};

// A question's texts, and the dialog that shows them.
struct Question {
    const char* message;
    const char* header;
    const char* dialog;
};

inline const std::vector<Question> kQuestions = {
    {"CTEXT_QUESTION_QUIT", "CTEXT_QUIT_HEADER", "DIALOG_YESNO"},
    // The menu's give-up question.
    {"TEXT_MENU_STOP", "TEXT_MENU_STOP_HEADER", "DIALOG_YESNO"},
    // the player dialogs
    {"CTEXT_PLAYER_EXISTS", "CTEXT_PLAYER_EXISTS_HEADER", "DIALOG_YESNO"},
    {"CTEXT_REMOVE_PLAYER", "CTEXT_REMOVE_PLAYER_HEADER", "DIALOG_YESNO"},
    {"CTEXT_REMOVE_PLAYER_FAILED", "CTEXT_REMOVE_PLAYER_HEADER", "DIALOG_YESNO"},
};

enum class Type { Integer, Float, Boolean, String };

struct Constant {
    const char* name;
    Type type;
};

inline const std::vector<Constant> kConstants = {
    {"GAME_NAME", Type::String},
    {"GAME_ID", Type::String},
    {"DIALOG_FADE_TIME", Type::Integer},
    {"DIALOG_BURST_MIN_SCALE", Type::Float},
    {"DIALOG_BURST_MAX_SCALE", Type::Float},
    {"DIALOG_BURST_TIME", Type::Integer},
    {"DIALOG_BURST_LAST_BIT", Type::Integer},
    {"DIALOG_BACKGROUND_ALPHA", Type::Integer},
    {"NUM_DIGGER_COLORS", Type::Integer},
    {"NUM_DIGGER_TYPES_FEMALE", Type::Integer},
    {"TIME_SURVEY", Type::Integer},
    {"MINIGAME_NUM_MISSES", Type::Integer},
    {"TIME_MINIGAME_PREVIEW_DELAY", Type::Integer},
    {"MINIGAME_CARDS_OF_EACH_TYPE", Type::Integer},
    {"SCORE_PLACE_DIGGER", Type::Integer},
    {"SCORE_PENALTY_PLACE_DIGGER", Type::Integer},
    {"SCORE_MATCH_DIGGER_COLOR", Type::Integer},
    {"SCORE_DIGGER_LOVE_MATCH", Type::Integer},
    {"SCORE_VURU_SURVEYS_HOLE", Type::Integer},
    {"SCORE_DOVIDI_GIVES_TOOL", Type::Integer},
    {"SCORE_PENALTY_DOVIDI_GIVES_TOOL", Type::Integer},
    {"SCORE_COOKIE_GIVES_FOOD", Type::Integer},
    {"SCORE_PENALTY_COOKIE_GIVES_FOOD", Type::Integer},
    {"SCORE_VURU_DOCUMENT_ARTIFACT", Type::Integer},
    {"SCORE_PENALTY_VURU_DOCUMENT_ARTIFACT", Type::Integer},
    {"SCORE_VURU_HELPS_DIGGER", Type::Integer},
    {"SCORE_HIT_VUVIVEDOD", Type::Integer},
    {"SCORE_DOVIDI_GIVES_TWO_TOOLS", Type::Integer},
    {"SCORE_COOKIE_GIVES_TWO_MEALS", Type::Integer},
    {"SCORE_VUVIVEDOD_STEALS_ITEM", Type::Integer},
    {"SCORE_VUVIVEDOD_STEALS_ARTIFACT", Type::Integer},
    {"SCORE_FINISHED_ALL_HOLES", Type::Integer},
    {"SCORE_MINIGAME_MATCH", Type::Integer},
    {"SCORE_MINIGAME_WIN", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_BRONZE_MIN", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_BRONZE_MAX", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_SILVER_MIN", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_SILVER_MAX", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_GOLD_MIN", Type::Integer},
    {"SCORE_ARTIFACT_IN_CRATE_GOLD_MAX", Type::Integer},
    {"NUM_ARTIFACTS_GREECE", Type::Integer},
    {"TEXT_EARNED", Type::String},
    {"TEXT_GOAL", Type::String},
    {"TEXT_EXPERT", Type::String},
    {"TEXT_DAY", Type::String},
    {"TEXT_DAY_2", Type::String},
    {"TEXT_ARTIFACTS_FOUND", Type::String},
    {"TEXT_TOTAL_EARNED", Type::String},
    {"TEXT_TOTAL_ARTIFACTS_FOUND", Type::String},
    {"TEXT_COUNTRY1", Type::String},
    {"TEXT_SCORE_PLACE_DIGGER", Type::String},
    {"TEXT_SCORE_MATCH_DIGGER_COLOR", Type::String},
    {"TEXT_SCORE_MATCH_DIGGER_LOVE", Type::String},
    {"TEXT_SCORE_VURU_SURVEYS_HOLE", Type::String},
    {"TEXT_SCORE_DOVIDI_GIVES_TOOL", Type::String},
    {"TEXT_SCORE_COOKIE_GIVES_FOOD", Type::String},
    {"TEXT_SCORE_VURU_DOCUMENT_ARTIFACT", Type::String},
    {"TEXT_SCORE_VURU_HELPS_DIGGER", Type::String},
    {"TEXT_SCORE_HIT_VUVIVEDOD", Type::String},
    {"TEXT_SCORE_DOVIDI_GIVES_TWO_TOOLS", Type::String},
    {"TEXT_SCORE_COOKIE_GIVES_TWO_MEALS", Type::String},
    {"TEXT_SCORE_ARTIFACT_IN_CRATE_BRONZE", Type::String},
    {"TEXT_SCORE_ARTIFACT_IN_CRATE_SILVER", Type::String},
    {"TEXT_SCORE_ARTIFACT_IN_CRATE_GOLD", Type::String},
    {"TEXT_SCORE_VUVIVEDOD_STEALS_ITEM", Type::String},
    {"TEXT_SCORE_VUVIVEDOD_STEALS_ARTIFACT", Type::String},
    {"TEXT_SCORE_FINISHED_ALL_HOLES", Type::String},
    {"TEXT_SCORE_MINIGAME_MATCH", Type::String},
    {"TEXT_SCORE_MINIGAME_WIN", Type::String},
    // SceneGame and the site services
    {"WORKER_WAITAREA_X", Type::Integer},
    {"WORKER_WAITAREA_WIDTH", Type::Integer},
    {"DIGGER_WAITAREA_Y", Type::Integer},
    {"PICKER_WAITAREA_Y", Type::Integer},
    {"DIGGER_WAITAREA_DELTA_X", Type::Integer},
    {"PICKER_WAITAREA_DELTA_X", Type::Integer},
    {"BETWEEN_PICKER_DIGGER_WAITAREA_DELTA_X", Type::Integer},
    {"DIGGER_HOLDAREA_X", Type::Integer},
    {"CRUSH_MATCHING", Type::Boolean},
    {"TIME_UNTIL_DIGGER_IMPATIENT", Type::Integer},
    {"TIME_IDLE_ANIMATION_MIN", Type::Integer},
    {"TIME_IDLE_ANIMATION_MAX", Type::Integer},
    {"TIME_BLINK_ANIMATION_MIN", Type::Integer},
    {"TIME_BLINK_ANIMATION_MAX", Type::Integer},
    {"IDLE_FRAMESPEED", Type::Integer},
    {"IDLE_IMPATIENT_NUM_LOOPS_MAX", Type::Integer},
    {"VURU_TENT_X", Type::Integer},
    {"VURU_TENT_Y", Type::Integer},
    {"DOVIDI_HOME_X", Type::Integer},
    {"DOVIDI_HOME_Y", Type::Integer},
    {"ANIMATION_END_DEST_X", Type::Integer},
    {"ANIMATION_END_DEST_Y", Type::Integer},
    {"VUVIVEDOD_DEED_CHANCE_STEALITEM", Type::Integer},
    {"VUVIVEDOD_DEED_CHANCE_STEALARTIFACT", Type::Integer},
    {"VUVIVEDOD_DEED_CHANCE_HYPNOTIZE", Type::Integer},
    {"VUVIVEDOD_DEED_CHANCE_MASSHYPNOTIZE", Type::Integer},
    {"TIME_BOSS_USE_ITEM", Type::Integer},
    {"CHARACTER_WINLOSS_FRAMESPEED", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_1", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_2", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_3", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_4", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_5", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_6", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_7", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_8", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_9", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_10", Type::Integer},
    {"TROPHY_NUM_ARTIFACTS_11", Type::Integer},
    // the main menu and the high scores
    {"TIME_SELECTION_SHINE_FRAMERATE", Type::Integer},
    {"TIME_SELECTION_SHINE_DELAY_MIN", Type::Integer},
    {"TIME_SELECTION_SHINE_DELAY_MAX", Type::Integer},
    {"TEXT_HIGHSCORES_TOTAL", Type::String},
    {"CTEXT_PLAYERSELECT_HEADER", Type::String},
    {"CTEXT_NEWPLAYER_HEADER", Type::String},
    {"CTEXT_HIGHSCORES_HEADER", Type::String},
    {"CTEXT_STANDIN_MAP", Type::String},
    {"CTEXT_STANDIN_STORY", Type::String},
    {"CTEXT_STANDIN_TROPHY", Type::String},
    // DelvorReqBalloon and DelvorMeter
    {"TIME_SLICE_METER_UPDATE", Type::Integer},
    {"HOLE_METER_X", Type::Integer},
    {"HOLE_METER_Y", Type::Integer},
    {"METER_DIRT_X", Type::Integer},
    {"METER_DIRT_Y", Type::Integer},
    {"METER_DIRT_HEIGHT", Type::Integer},
    {"METER_ARROW_ORIGIN_X", Type::Integer},
    {"METER_ARROW_ORIGIN_Y", Type::Integer},
    {"METER_ROCK_WIDTH", Type::Integer},
    {"METER_STAR_WIDTH", Type::Integer},
    {"METER_EXTRA_STARS_ORIGIN_X", Type::Integer},
    {"METER_EXTRA_STARS_ORIGIN_Y", Type::Integer},
    {"METER_EXTRA_STARS_DELTA_X", Type::Integer},
    {"TIME_METER_ARROW_PULSE", Type::Integer},
    {"TIME_HOLE_SPARKLE_DELAY_MIN", Type::Integer},
    {"TIME_HOLE_SPARKLE_DELAY_MAX", Type::Integer},
    {"VURU_REQBALLOON_LARGE_X", Type::Integer},
    {"VURU_REQBALLOON_LARGE_Y", Type::Integer},
    {"HOLE_REQBALLOON_X", Type::Integer},
    {"HOLE_REQBALLOON_Y", Type::Integer},
    {"DIGGER_REQBALLOON_TWOP_X", Type::Integer},
    {"DIGGER_REQBALLOON_TWOP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_LEFT_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_LEFT_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_RIGHT_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_RIGHT_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SHOVEL_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_PICK_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_VURU_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SIFTER_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BRUSH_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_BOTTLE_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_MEDICINE_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_APPLE_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_SANDWICH_TWOP_RIGHT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_ONEP_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_ONEP_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_TWOP_LEFT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_TWOP_LEFT_Y", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_TWOP_RIGHT_X", Type::Integer},
    {"DIGGER_REQBALLOON_REQ_WATER_TWOP_RIGHT_Y", Type::Integer},
    // DelvorHole
    {"HOLE_BACK_DELTA_X", Type::Integer},
    {"HOLE_BACK_DELTA_Y", Type::Integer},
    {"HOLE_ROPES_X", Type::Integer},
    {"HOLE_ROPES_Y", Type::Integer},
    {"HOLE_ARTIFACT_X", Type::Integer},
    {"HOLE_ARTIFACT_Y", Type::Integer},
    {"HOLE_ARTIFACT_SCALE", Type::Float},
    {"HOLE_ARTIFACT_DIRTY_X", Type::Integer},
    {"HOLE_ARTIFACT_DIRTY_Y", Type::Integer},
    {"TIME_HOLE_FLAG_FLAP_FRAMERATE", Type::Integer},
    {"TIME_DIGGER_CLEAN_HOLE", Type::Integer},
    {"TIME_DIGGER_CLEAN_HOLE_2P", Type::Integer},
    {"TIME_SIFTING_ONEP", Type::Integer},
    {"TIME_SIFTING_TWOP", Type::Integer},
    {"TIME_BRUSHING_ONEP", Type::Integer},
    {"TIME_BRUSHING_TWOP", Type::Integer},
    {"TIME_BRUSHING_PERFRAME", Type::Integer},
    {"TIME_PICKING_ONEP", Type::Integer},
    {"TIME_PICKING_TWOP", Type::Integer},
    {"TIME_BOTTLE_FRAMESPEED", Type::Integer},
    {"BOTTLE_NUM_LOOPS", Type::Integer},
    {"HOLE_SIFTER_X", Type::Integer},
    {"HOLE_SIFTER_Y", Type::Integer},
    {"HOLE_BRUSH_X", Type::Integer},
    {"HOLE_BRUSH_Y", Type::Integer},
    {"HOLE_BOTTLE_X", Type::Integer},
    {"HOLE_BOTTLE_Y", Type::Integer},
    {"HOLE_DUST_SIFT_X", Type::Integer},
    {"HOLE_DUST_SIFT_Y", Type::Integer},
    {"HOLE_DUST_BRUSH_X", Type::Integer},
    {"HOLE_DUST_BRUSH_Y", Type::Integer},
    {"HOLE_DUST_BOTTLE_X", Type::Integer},
    {"HOLE_DUST_BOTTLE_Y", Type::Integer},
};

// Vectors of texts of the constants table, with the least number of entries.
struct TextVector {
    const char* name;
    int count;
};

inline const std::vector<TextVector> kTextVectors = {
    {"HELP_HEADERS", 4},
};

// Property files read directly (not through the manifest), and the values
// they must hold.
struct PropertyFile {
    const char* file;
    std::vector<Constant> values;
    std::vector<const char*> vectors;  // vectors of components built by class name
};

inline const std::vector<PropertyFile> kPropertyFiles = {
    {"splash/branding.xml",
     {{"SPLASH_FADE_TIME", Type::Integer},
      {"SPLASH_DISPLAY_TIME", Type::Integer},
      {"SHOW_FABLEWOOD_ANIMATION", Type::Boolean}},
     {}},
    {"properties/partners.xml", {}, {"partners"}},
};

// The splash cards: "splash/splash<n>" with ".jpg" or ".png", from 1 on.
inline const char* const kSplashStem = "splash/splash";
inline const int kSplashCount = 2;

}  // namespace gamedata
