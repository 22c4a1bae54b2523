// The vignettes' scene and section names, and the profile preparing and
// dropping the story scene of a vignette.
#include "source/scenes/SceneStory.h"

#include <gtest/gtest.h>

#include "source/main/DelvorPlayer.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;

TEST(StoryNames, ScenesAndSectionsOfTheVignettes) {
    struct Case {
        int id;
        const char* scene;
        const char* section;
    };
    const Case cases[] = {
        {0, "STORY_INTRO", "story_intro"}, {1, "STORY1_1", "story_1"},   {2, "STORY1_10", "story_1"},
        {3, "STORY2_1", "story_2"},        {13, "STORY7_1", "story_7"},  {14, "STORY7_10", "story_7"},
        {15, "STORY_FINISH", "story"},
    };
    for (const Case& c : cases) {
        std::string scene;
        std::string section;
        SceneStory::GetStoryNameFromID(c.id, scene);
        SceneStory::GetVignetteWaitingSection(c.id, section);
        EXPECT_EQ(scene, c.scene) << c.id;
        EXPECT_EQ(section, c.section) << c.id;
    }
    for (const int id : {-1, 16, 99}) {
        std::string scene = "unchanged";
        SceneStory::GetStoryNameFromID(id, scene);
        EXPECT_EQ(scene, "unchanged") << id;
    }
}

TEST(StoryNames, TheProfilePreparesAStorySceneUntilItIsSeen) {
    gametest::GameWorld world("<Node id=\"scenes\"><SceneStory id=\"STORY1_10\"/><SceneStory id=\"STORY2_1\"/></Node>");
    SceneManager* scenes = SceneManager::g_Instance;
    SmartPtr<DelvorPlayer> player(new DelvorPlayer("Ann"));
    std::string name;
    EXPECT_TRUE(player->ShouldShowStory(2, name, false));
    EXPECT_EQ(name, "STORY1_10");
    EXPECT_EQ(player->GetStorySceneName(), "STORY1_10");
    ASSERT_NE(scenes->GetScene("STORY1_10"), nullptr);
    EXPECT_TRUE(scenes->GetScene("STORY1_10")->GetRTTI().DerivesFrom(SceneStory::rtti));

    // The next vignette replaces the prepared one.
    EXPECT_TRUE(player->ShouldShowStory(3, name, false));
    EXPECT_EQ(scenes->GetScene("STORY1_10"), nullptr);
    EXPECT_NE(scenes->GetScene("STORY2_1"), nullptr);

    player->SetSeenVignette(3, true);
    EXPECT_FALSE(player->ShouldShowStory(3, name, false));
    EXPECT_TRUE(player->ShouldShowStory(3, name, true));
    player->RemoveStory();
    EXPECT_EQ(scenes->GetScene("STORY2_1"), nullptr);
    EXPECT_EQ(player->GetStorySceneName(), "");
}
