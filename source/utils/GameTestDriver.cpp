#include "source/utils/GameTestDriver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/core/iGuiMethod.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/scene/Scene.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/LabelInput.h"
#include "platform/EventPump.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorItem.h"
#include "source/game/Dovidi.h"
#include "source/game/Vuru.h"
#include "source/scenes/SceneGame.h"
#include "source/utils/GameTestHooks.h"

using namespace ZQ2;

namespace {

const char* const kDriverVariable = "DELVOR_TEST_DRIVER";
const char* const kKindNames[GameTestDriver::KIND_COUNT] = {"move", "down", "up", "key"};
// Long enough for any pointer event of a loaded machine; only a lost event waits it out.
constexpr int kAwaitTimeoutMs = 60000;

// Opens a FIFO of the driver's folder; a folder that holds something else is refused.
std::FILE* OpenFifo(const std::string& path, const char* mode) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return nullptr;
    return std::fopen(path.c_str(), mode);
}

template <class T>
void Collect(GameNode* node, std::vector<T*>& found) {
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (T* t = DynamicCast<T>(child))
            found.push_back(t);
        Collect(child, found);
    }
}

bool IsShown(GameNode* node) {
    for (; node; node = node->GetParent())
        if (!node->IsVisible())
            return false;
    return true;
}

// A point where a click lands on the sprite, in game coordinates: the middle
// of the part of its picture that answers IsInside, or else any such point.
bool PointOn(Sprite* sprite, float& x, float& y) {
    const float w = std::max(sprite->GetWidth(), 8.0f);
    const float h = std::max(sprite->GetHeight(), 8.0f);
    std::vector<Point_t<float>> inside;
    for (float ly = -h; ly <= 2 * h; ly += h / 8)
        for (float lx = -w; lx <= 2 * w; lx += w / 8) {
            const Point_t<float> p = sprite->ToGlobal(lx, ly);
            if (sprite->IsInside(p.x, p.y))
                inside.push_back(p);
        }
    if (inside.empty())
        return false;
    float sx = 0;
    float sy = 0;
    for (const auto& p : inside) {
        sx += p.x;
        sy += p.y;
    }
    x = sx / static_cast<float>(inside.size());
    y = sy / static_cast<float>(inside.size());
    if (sprite->IsInside(x, y))
        return true;
    x = inside.front().x;
    y = inside.front().y;
    return true;
}

// Game coordinates to the window's: the game's area may be scaled and
// centred in the drawable (full screen); its GL viewport says where.
void ToWindow(float gx, float gy, int& wx, int& wy) {
    wx = static_cast<int>(gx);
    wy = static_cast<int>(gy);
    GameWindow* window = GameWindow::g_Instance;
    if (!window || window->GetWidth() <= 0 || window->GetHeight() <= 0)
        return;
    const RectangleI area = window->GetViewport();
    // Centred, the bottom margin equals the top one.
    wx = area.x + static_cast<int>(gx * static_cast<float>(area.width) / static_cast<float>(window->GetWidth()));
    wy = area.y + static_cast<int>(gy * static_cast<float>(area.height) / static_cast<float>(window->GetHeight()));
}

int ItemType(DelvorItem* item) {
    for (int type = DelvorItem::TYPE_SIFTER; type <= DelvorItem::TYPE_APPLE; ++type) {
        std::string name;
        DelvorItem::GetNameFromType(type, name);
        if (!name.empty() && item->GetName().find(name) != std::string::npos)
            return type;
    }
    return DelvorItem::TYPE_NONE;
}

// The size of the game's drawn area in the window, as "[W,H]".
std::string ViewSize() {
    GameWindow* window = GameWindow::g_Instance;
    const RectangleI area = window ? window->GetViewport() : RectangleI();
    return "[" + std::to_string(area.width) + "," + std::to_string(area.height) + "]";
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20)
            out += c;
    return out + "\"";
}

}  // namespace

GameTestDriver* GameTestDriver::CreateIfAsked(const std::string& folder) {
    const char* fifos = std::getenv(kDriverVariable);
    if (!fifos || !*fifos)
        return nullptr;
    // The same order as the driver's, or both would wait for ever.
    std::FILE* toDriver = OpenFifo(std::string(fifos) + "/to-driver", "w");
    std::FILE* fromDriver = toDriver ? OpenFifo(std::string(fifos) + "/from-driver", "r") : nullptr;
    if (!fromDriver) {
        if (toDriver)
            std::fclose(toDriver);
        Platform::OutputDebugStringFormat("Test driver: no FIFOs in %s\n", fifos);
        return nullptr;
    }
    Platform::OutputDebugStringFormat("Test driver: connected\n");
    return new GameTestDriver(toDriver, fromDriver, folder);
}

GameTestDriver::GameTestDriver(std::FILE* toDriver, std::FILE* fromDriver, std::string folder)
    : m_pToDriver(toDriver), m_pFromDriver(fromDriver), m_sFolder(std::move(folder)) {
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
}

GameTestDriver::~GameTestDriver() {
    std::fclose(m_pToDriver);
    std::fclose(m_pFromDriver);
}

void GameTestDriver::ProcessMessage(const Message& message) {
    int kind = KIND_COUNT;
    switch (message.GetNumber()) {
        case MESSAGE_MOUSE_MOVED: kind = KIND_MOVE; break;
        case MESSAGE_MOUSE_LEFT_DOWN: kind = KIND_DOWN; break;
        case MESSAGE_MOUSE_LEFT_UP: kind = KIND_UP; break;
        case MESSAGE_KEY_UP: kind = KIND_KEY; break;
        default: return;
    }
    ++m_aiSeen[kind];
    if (auto* mouse = message.GetData<MouseMessageData>()) {
        m_afLastX[kind] = mouse->GetX();
        m_afLastY[kind] = mouse->GetY();
    }
}

bool GameTestDriver::OnFrame(Scene* scene, bool newScene) {
    ++m_iFrame;
    if (--m_iFramesLeft > 0 && !newScene)
        return true;
    return Stop(scene);
}

bool GameTestDriver::Stop(Scene* scene) {
    Answer(Describe(scene));
    std::string line;
    while (ReadLine(line)) {
        std::istringstream words(line);
        std::string command;
        std::string argument;
        words >> command >> argument;
        if (command == "go") {
            m_iFramesLeft = std::max(1, std::atoi(argument.c_str()));
            return true;
        }
        if (command == "await")
            Await(argument);
        if (command == "shot") {
            // A plain name: the picture stays in the hooks' folder.
            const bool plain = !argument.empty() && argument.find('/') == std::string::npos && argument[0] != '.';
            const bool saved = plain && GameTestHooks::SaveScreenshot(m_sFolder + "/" + argument + ".png");
            Answer(std::string("shot ") + argument + (saved ? " saved" : " failed"));
        }
    }
    Platform::OutputDebugStringFormat("Test driver: the driver is gone\n");
    return false;
}

void GameTestDriver::Await(const std::string& kind) {
    const int index = static_cast<int>(std::find(kKindNames, kKindNames + KIND_COUNT, kind) - kKindNames);
    if (index >= KIND_COUNT) {
        Answer(std::string("lost ") + kind);
        return;
    }
    const int before = m_aiSeen[index];
    while (m_aiSeen[index] == before) {
        if (!platform::EventPump::WaitOne(kAwaitTimeoutMs)) {
            Answer(std::string("lost ") + kind);
            return;
        }
    }
    int x = 0;
    int y = 0;
    ToWindow(m_afLastX[index], m_afLastY[index], x, y);
    std::ostringstream seen;
    seen << "seen " << kind << " " << x << " " << y;
    Answer(seen.str());
}

std::string GameTestDriver::Describe(Scene* scene) const {
    std::ostringstream line;
    line << "{\"frame\":" << m_iFrame << ",\"view\":" << ViewSize() << ",\"scene\":"
         << Quoted(scene ? scene->GetName() : "") << ",\"dialogs\":[";
    if (scene) {
        const char* comma = "";
        for (const auto& dialog : scene->GetActiveDialogs()) {
            line << comma << Quoted(dialog ? dialog->GetName() : "");
            comma = ",";
        }
    }
    line << "],\"buttons\":{" << DescribeButtons(scene) << "}";
    if (auto* level = DynamicCast<SceneGame>(scene))
        line << ",\"level\":" << DescribeLevel(level);
    line << "}";
    return line.str();
}

// Every shown, enabled button and every text input of the scene by name; a dialog's own as
// "DIALOG/BUTTON".
std::string GameTestDriver::DescribeButtons(Scene* scene) const {
    if (!scene)
        return std::string();
    std::vector<Sprite*> sprites;
    Collect(scene, sprites);
    std::ostringstream out;
    const char* comma = "";
    for (Sprite* button : sprites) {
        auto* pressable = DynamicCast<Button>(button);
        const bool input = DynamicCast<LabelInput>(button) != nullptr;
        if ((!input && !(pressable && pressable->IsEnabled())) || button->GetName().empty() || !IsShown(button))
            continue;
        const std::string where = Position(button);
        if (where == "null")
            continue;
        std::string prefix;
        for (GameNode* node = button->GetParent(); node && node != scene; node = node->GetParent())
            if (DynamicCast<Dialog>(node)) {
                prefix = node->GetName() + "/";
                break;
            }
        out << comma << Quoted(prefix + button->GetName()) << ":" << where;
        comma = ",";
    }
    return out.str();
}

std::string GameTestDriver::DescribeLevel(SceneGame* level) const {
    std::ostringstream out;
    out << "{\"state\":" << level->GetGameState() << ",\"funds\":" << level->GetFunds()
        << ",\"win\":" << level->GetVariables().iPointsWin << ",\"drag\":" << (level->GetWorkerToDrag() ? 1 : 0);
    if (Vuru* vuru = level->GetVuru()) {
        int first = 0;
        int second = 0;
        const int count = vuru->GetVuruRequests(first, second);
        out << ",\"vuru\":{\"at\":" << Position(vuru) << ",\"state\":" << vuru->GetVuruState()
            << ",\"hole\":" << (vuru->GetHole() ? 1 : 0) << ",\"requests\":[" << first << "," << second
            << "],\"count\":" << count << "}";
    }
    if (Dovidi* dovidi = level->GetDovidi())
        out << ",\"dovidi\":{\"idle\":"
            << (dovidi->GetNumItemsInStack() == 0 && dovidi->GetBossActivity() == 0 ? 1 : 0)
            << ",\"home\":" << (dovidi->IsInHomePosition() ? 1 : 0) << "}";
    out << ",\"workers\":[";
    // The workers in the order listed, which "takes" indexes.
    std::vector<DelvorWorker*> listed;
    const char* comma = "";
    for (const auto& w : level->GetWorkers()) {
        const bool idle = w->IsInHomePosition() && !w->HasPersonalNeed() &&
                          w->GetState() != DelvorCharacter::STATE_WALKING;
        out << comma << "{\"at\":" << Position(w.Get())
            << ",\"digger\":" << (DynamicCast<DelvorDigger>(w.Get()) ? 1 : 0) << ",\"free\":" << (idle ? 1 : 0)
            << ",\"home\":" << (w->IsCharacterInWaitingArea() ? 1 : 0) << ",\"request\":" << w->GetRequest()
            << "}";
        listed.push_back(w.Get());
        comma = ",";
    }
    out << "],\"holes\":[";
    std::vector<DelvorHole*> holes;
    Collect(level, holes);
    comma = "";
    for (DelvorHole* hole : holes) {
        out << comma << "{\"at\":" << Position(hole) << ",\"state\":" << hole->GetHoleState()
            << ",\"request\":" << hole->GetHoleRequestFromState() << ",\"takes\":[";
        const char* inner = "";
        for (size_t i = 0; i < listed.size(); ++i)
            if (hole->CanAddWorker(listed[i])) {
                out << inner << i;
                inner = ",";
            }
        out << "]}";
        comma = ",";
    }
    out << "],\"items\":[";
    std::vector<DelvorItem*> items;
    Collect(level, items);
    comma = "";
    for (DelvorItem* item : items) {
        if (!item->IsVisible() || !item->IsOnTable())
            continue;
        out << comma << "{\"at\":" << Position(item) << ",\"type\":" << ItemType(item) << "}";
        comma = ",";
    }
    out << "]}";
    return out.str();
}

// "[x,y]" at window coordinates, or null when no point of it takes a click.
std::string GameTestDriver::Position(Sprite* sprite) const {
    float gx = 0;
    float gy = 0;
    if (!sprite || !PointOn(sprite, gx, gy))
        return "null";
    int x = 0;
    int y = 0;
    ToWindow(gx, gy, x, y);
    std::ostringstream at;
    at << "[" << x << "," << y << "]";
    return at.str();
}

void GameTestDriver::Answer(const std::string& line) {
    std::fputs((line + "\n").c_str(), m_pToDriver);
    std::fflush(m_pToDriver);
}

bool GameTestDriver::ReadLine(std::string& line) {
    line.clear();
    for (int c = std::fgetc(m_pFromDriver); c != EOF; c = std::fgetc(m_pFromDriver)) {
        if (c == '\n')
            return true;
        line += static_cast<char>(c);
    }
    return false;
}
