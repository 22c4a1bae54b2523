#pragma once
// Shows the local high-score table "default" as ten rows of name, level
// reached and total score.
#include <string>

#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class HighScoreTable;
class Label;
}  // namespace ZQ2

extern const char* const DIALOG_HIGHSCORES;
extern const char* const DEFAULT_HIGHSCORE_TABLE;

class DialogHighScore : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int ROW_COUNT = 10;

    explicit DialogHighScore(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    void UpdateScores();
    // The manager's table, registered empty (ten entries, descending) when missing.
    static ZQ2::HighScoreTable* GetHighScoreTable(const std::string& name);
    static void OnCloseClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    struct Row {
        ZQ2::Label* m_pName = nullptr;
        ZQ2::Label* m_pScore = nullptr;
        ZQ2::Label* m_pExtra = nullptr;
    };
    const Row& GetRow(int index) const { return m_Rows[index]; }

private:
    Row m_Rows[ROW_COUNT];
};

// The total text with the score put into its one integer conversion
// (see TextFormat). A text with no, another or a second conversion gives
// the bare score.
std::string FormatHighScoreTotal(const std::string& format, int score);
