#include "source/dialogs/DialogHighScore.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/HighScoreTable.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Panel.h"
#include "source/main/DelvorScoreEntry.h"
#include "source/utils/TextFormat.h"

using namespace ZQ2;

const char* const DIALOG_HIGHSCORES = "DIALOG_HIGHSCORES";
const char* const DEFAULT_HIGHSCORE_TABLE = "default";

const RTTI* const DialogHighScore::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogHighScore::rtti("DialogHighScore", DialogHighScore::rttis);

ObjectInitializer DialogHighScore::m_ObjectInitializer("DialogHighScore", &DialogHighScore::OnData);

namespace {

const char* const kPanel = "panel";
const char* const kFirstY = "y";
const char* const kName = "LABEL_NAME";
const char* const kScore = "LABEL_SCORE";
const char* const kExtra = "LABEL_EXTRA";
const char* const kOk = "BUTTON_OK";
const char* const kTotal = "TEXT_HIGHSCORES_TOTAL";
const char* const kEmpty = "-";
constexpr int kTableSize = 10;
}  // namespace

std::string FormatHighScoreTotal(const std::string& format, int score) {
    return TextFormat(format).Int(score).ToStringOr(std::to_string(score));
}

DialogHighScore::DialogHighScore(AbstractProperty* data) : DialogDelvor(data) {
    auto* node = DynamicCast<PropertyNode>(GetPropertyNode());
    PropertyNode* panelData = node ? node->GetNode(kPanel) : nullptr;
    auto* firstY = panelData ? DynamicCast<PropertyValue>(panelData->GetProperty(kFirstY)) : nullptr;
    float y = firstY ? firstY->ToFloat() : 0.0f;
    for (Row& row : m_Rows) {
        if (!panelData)
            break;
        BaseObject* object = ObjectFactory::Instance()->CreateObject(panelData);
        auto* panel = DynamicCast<Panel>(object);
        if (!panel) {
            SmartPtr<BaseObject> drop(object);
            break;
        }
        panel->SetY(y);
        row.m_pName = DynamicCast<Label>(panel->GetComponent(kName));
        row.m_pScore = DynamicCast<Label>(panel->GetComponent(kScore));
        row.m_pExtra = DynamicCast<Label>(panel->GetComponent(kExtra));
        y += panel->GetHeight();
        GameTree::LinkNodeUnder(GetComponentRoot(), panel);
    }
    BindComponent(kOk, this, &DialogHighScore::OnCloseClick);
}

BaseObject* DialogHighScore::OnData(AbstractProperty* data) { return new DialogHighScore(data); }

void DialogHighScore::OnActivate() {
    DialogDelvor::OnActivate();
    UpdateScores();
    CreateStandardShowAnimation();
}

HighScoreTable* DialogHighScore::GetHighScoreTable(const std::string& name) {
    HighScoreManager* manager = HighScoreManager::g_Instance;
    if (!manager)
        return nullptr;
    if (HighScoreTable* table = manager->GetHighScoreTable(name))
        return table;
    auto* table = new HighScoreTable(kTableSize, true);
    manager->AddHighScoreTable(name, table);
    return table;
}

namespace {

void SetRow(const DialogHighScore::Row& row, const std::string& name, const std::string& score,
            const std::string& extra) {
    if (row.m_pName)
        row.m_pName->SetText(name);
    if (row.m_pScore)
        row.m_pScore->SetText(score);
    if (row.m_pExtra)
        row.m_pExtra->SetText(extra);
}

}  // namespace

void DialogHighScore::UpdateScores() {
    const HighScoreTable* table = GetHighScoreTable(DEFAULT_HIGHSCORE_TABLE);
    const std::string total = BasicProperties::GetString(kTotal);
    int filled = 0;
    if (table) {
        for (const auto& entry : table->GetEntries()) {
            if (filled >= ROW_COUNT)
                break;
            auto* delvor = DynamicCast<DelvorScoreEntry>(entry.Get());
            SetRow(m_Rows[filled], entry->GetName(), delvor ? delvor->GetExtra() : std::string(),
                   FormatHighScoreTotal(total, entry->GetScore()));
            ++filled;
        }
    }
    for (int i = filled; i < ROW_COUNT; ++i)
        SetRow(m_Rows[i], kEmpty, kEmpty, kEmpty);
}

void DialogHighScore::OnCloseClick(BaseObject* dialog, BaseObject* sender) {
    DialogDelvor::CreateStandardHideAnimation(dialog, sender);
}
