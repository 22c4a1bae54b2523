// The high-score dialog: ten rows from the table "default" in rank order,
// dashes below the last entry, never more than ten rows, and a total text
// that can only ever take the score into one integer conversion.
#include "source/dialogs/DialogHighScore.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/io/HighScoreManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/sprite/Label.h"
#include "source/main/DelvorScoreEntry.h"
#include "tests/source/GameTestSupport.h"

using namespace ZQ2;
using gametest::GameWorld;

namespace {

const char* const kDialogs =
    "<String id=\"TEXT_HIGHSCORES_TOTAL\" value=\"$%d\"/>"
    "<Node id=\"dialogs\">"
    "  <DialogHighScore id=\"DIALOG_HIGHSCORES\" width=\"400\" height=\"500\">"
    "    <Panel id=\"panel\" x=\"10\" y=\"40\" width=\"380\" height=\"30\">"
    "      <Vector id=\"panelcomponents\">"
    "        <Label name=\"LABEL_NAME\" width=\"120\" height=\"30\"/>"
    "        <Label name=\"LABEL_SCORE\" x=\"130\" width=\"120\" height=\"30\"/>"
    "        <Label name=\"LABEL_EXTRA\" x=\"260\" width=\"120\" height=\"30\"/>"
    "      </Vector>"
    "    </Panel>"
    "    <Vector id=\"components\">"
    "      <Button name=\"BUTTON_OK\" x=\"150\" y=\"450\" width=\"80\" height=\"30\"/>"
    "    </Vector>"
    "  </DialogHighScore>"
    "</Node>";

class HighScores : public ::testing::Test {
protected:
    void SetUp() override { HighScoreManager::CreateInstance(false, "1"); }
    void TearDown() override { HighScoreManager::ReleaseInstance(); }

    DialogHighScore* Open() {
        auto* dialog = DynamicCast<DialogHighScore>(m_World.Scene()->ConstructDialog(DIALOG_HIGHSCORES));
        EXPECT_NE(dialog, nullptr);
        if (dialog)
            m_World.Scene()->ActivateDialog(dialog);
        return dialog;
    }

    static std::string Row(const DialogHighScore* dialog, int i) {
        const DialogHighScore::Row& row = dialog->GetRow(i);
        return std::string(row.m_pName->GetText()) + "|" + std::string(row.m_pScore->GetText()) + "|" +
               std::string(row.m_pExtra->GetText());
    }

    GameWorld m_World{kDialogs};
};

}  // namespace

TEST_F(HighScores, NoScoresShowTenRowsOfDashesAndRegisterAnEmptyTable) {
    DialogHighScore* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < DialogHighScore::ROW_COUNT; ++i) {
        EXPECT_EQ(Row(dialog, i), "-|-|-") << i;
        // Rows stack downwards, each as tall as its panel.
        EXPECT_EQ(dialog->GetRow(i).m_pName->GetParent()->GetParent()->GetY(), 40.0f + 30.0f * i);
    }
    HighScoreTable* table = HighScoreManager::g_Instance->GetHighScoreTable(DEFAULT_HIGHSCORE_TABLE);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetEntries().size(), 0);
    EXPECT_EQ(table->GetMaxEntries(), 10);
    EXPECT_TRUE(table->IsDescending());
}

TEST_F(HighScores, EntriesFillRowsInRankOrderAndNeverMoreThanTen) {
    auto* table = new HighScoreTable(20, true);
    HighScoreManager::g_Instance->AddHighScoreTable(DEFAULT_HIGHSCORE_TABLE, table);
    for (int i = 0; i < 3; ++i)
        table->AddScore(new DelvorScoreEntry("P" + std::to_string(i), 100 * (i + 1), "Greece " + std::to_string(i)));
    DialogHighScore* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Row(dialog, 0), "P2|Greece 2|$300");
    EXPECT_EQ(Row(dialog, 2), "P0|Greece 0|$100");
    EXPECT_EQ(Row(dialog, 3), "-|-|-");
    EXPECT_EQ(Row(dialog, 9), "-|-|-");

    for (int i = 3; i < 14; ++i)
        table->AddScore(new DelvorScoreEntry("P" + std::to_string(i), 100 * (i + 1), "Peru"));
    ASSERT_GT(table->GetEntries().size(), 10);
    dialog->UpdateScores();
    EXPECT_EQ(Row(dialog, 0), "P13|Peru|$1400");
    EXPECT_EQ(Row(dialog, 9), "P4|Peru|$500");
}

TEST(HighScoreTotal, TheScoreGoesIntoOneValidatedIntegerConversion) {
    struct Case {
        const char* format;
        int score;
        const char* shown;
    };
    const Case cases[] = {
        {"%d", 1234, "1234"},
        {"$%d", 50, "$50"},
        {"Total: %i points", -7, "Total: -7 points"},
        {"%05d", 42, "00042"},
        {"%-4d|", 7, "7   |"},
        {"100%% of %d", 3, "100% of 3"},
        {"%d", INT_MIN, "-2147483648"},
        // Anything else shows the bare score.
        {"%s", 12, "12"},
        {"%d and %d", 12, "12"},
        {"%n", 12, "12"},
        {"%ld", 12, "12"},
        {"%999999d", 12, "12"},
        {"no conversion", 12, "12"},
        {"%", 12, "12"},
        {"", 12, "12"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatHighScoreTotal(c.format, c.score), c.shown) << c.format;
}
