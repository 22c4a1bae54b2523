#include "source/dialogs/DialogHighScore.h"

#include <cctype>
#include <cstdio>
#include <cstring>

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
// Wider fields than this are refused: a text is not a place for padding.
constexpr size_t kMaxFieldDigits = 2;

// Length of the conversion spec starting at format[at] (just after '%'),
// or 0 when it is not one integer conversion.
size_t IntegerSpecLength(const std::string& format, size_t at) {
    size_t i = at;
    while (i < format.size() && std::strchr("-+ 0#", format[i]) && format[i] != '\0')
        ++i;
    size_t digits = 0;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) {
        ++i;
        ++digits;
    }
    if (digits > kMaxFieldDigits)
        return 0;
    if (i < format.size() && format[i] == '.') {
        ++i;
        digits = 0;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) {
            ++i;
            ++digits;
        }
        if (digits > kMaxFieldDigits)
            return 0;
    }
    if (i >= format.size() || (format[i] != 'd' && format[i] != 'i'))
        return 0;
    return i + 1 - at;
}

}  // namespace

std::string FormatHighScoreTotal(const std::string& format, int score) {
    std::string before;
    std::string after;
    std::string spec;
    bool found = false;
    for (size_t i = 0; i < format.size(); ++i) {
        std::string& out = found ? after : before;
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        const size_t length = IntegerSpecLength(format, i + 1);
        if (found || length == 0)
            return std::to_string(score);
        spec = "%" + format.substr(i + 1, length);
        found = true;
        i += length;
    }
    if (!found)
        return std::to_string(score);
    char number[128];
    std::snprintf(number, sizeof number, spec.c_str(), score);
    return before + number + after;
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
