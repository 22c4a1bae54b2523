#include "engine/framework/GameWindow.h"

#include <algorithm>

#include "engine/core/Platform.h"
#include "engine/framework/GameWindowSDL.h"
#include "engine/framework/TemplateMessageData.h"

namespace ZQ2 {

const RTTI* const GameWindow::rttis[] = {&BaseObject::rtti, &iMessageListener::rtti, nullptr};
const RTTI GameWindow::rtti("GameWindow", GameWindow::rttis);

bool GameWindow::g_bRunning = true;

bool GameWindow::CreateInstance(const std::string& title, int width, int height, bool fullscreen, bool canToggle,
                                int, void*) {
    RemoveInstance();
    g_Instance = new GameWindowSDL();
    g_Instance->AddRef();
    g_Instance->SetSize(width, height);
    g_Instance->Center();
    const bool created = g_Instance->Create();
    g_Instance->SetFullscreenTo(fullscreen);
    g_Instance->m_bCanToggle = canToggle;
    g_Instance->SetTitle(title);
    g_Instance->Show();
    return created;
}

void GameWindow::RemoveInstance() {
    GameWindow* window = g_Instance;
    if (!window)
        return;
    window->RemoveWindow();
    g_Instance = nullptr;
    window->Release();
}

GameWindow::GameWindow() { m_MessageHandler.AddMessageListener(this); }

GameWindow::~GameWindow() = default;

void* GameWindow::QueryInterface(const RTTI& which) {
    if (&which == &iMessageListener::rtti)
        return static_cast<iMessageListener*>(this);
    return BaseObject::QueryInterface(which);
}

void GameWindow::SetMinimizedTo(bool minimized) {
    if (minimized == m_bMinimized)
        return;
    m_bMinimized = minimized;
    PostFlag(MESSAGE_MINIMIZED_CHANGED, minimized);
}

void GameWindow::ProcessMessage(const Message& message) {
    if (message.GetNumber() == MESSAGE_QUIT)
        g_bRunning = false;
}

void GameWindow::RequestClose() {
    if (s_pCloseRequestHandler && s_pCloseRequestHandler())
        return;
    PostMessage(MESSAGE_QUIT);
}

void GameWindow::SetSize(int width, int height) {
    m_Bounds.SetSize(width, height);
    UpdateWindowBounds();
}

void GameWindow::SetLocation(int x, int y) {
    m_Bounds.SetLocation(x, y);
    UpdateWindowBounds();
}

void GameWindow::Center() {
    const RectangleI outer = CalcOuterWindowBounds();
    const int left = (Platform::GetDisplayWidth() - outer.width) / 2;
    const int top = (Platform::GetDisplayHeight() - outer.height) / 2;
    // The frame may be larger than the display; its top-left corner stays on it.
    SetLocation(std::max(0, left) + (m_Bounds.x - outer.x), std::max(0, top) + (m_Bounds.y - outer.y));
}

bool GameWindow::Create() {
    if (m_bFullscreen && !CreateFullscreenWindow())
        m_bFullscreen = false;
    return CreateWindowedWindow();
}

void GameWindow::ConvertMousePosToInternalCoordinates(float& x, float& y) const {
    auto convert = [](float& value, int limit) {
        if (value < 0.0f || value > MAX_MOUSE_COORDINATE)
            value = -1.0f;
        else
            value = std::min(value, static_cast<float>(limit));
    };
    convert(x, m_Bounds.width);
    convert(y, m_Bounds.height);
}

RectangleI GameWindow::FitGameArea(int areaWidth, int areaHeight, int gameWidth, int gameHeight) {
    if (areaWidth < 1 || areaHeight < 1 || gameWidth < 1 || gameHeight < 1)
        return RectangleI(0, 0, gameWidth, gameHeight);
    // Compared in 64 bits: which side limits the scale, without rounding.
    const long long wideArea = static_cast<long long>(areaWidth) * gameHeight;
    const long long tallArea = static_cast<long long>(areaHeight) * gameWidth;
    int width = areaWidth;
    int height = areaHeight;
    if (wideArea > tallArea)
        width = static_cast<int>(tallArea / gameHeight);
    else
        height = static_cast<int>(wideArea / gameWidth);
    return RectangleI((areaWidth - width) / 2, (areaHeight - height) / 2, width, height);
}

void GameWindow::PostMessage(int number) { m_MessageHandler.ProcessMessage(Message(number)); }

void GameWindow::PostFlag(int number, bool value) {
    m_MessageHandler.ProcessMessage(Message(number, new TemplateMessageData<bool>(value)));
}

}  // namespace ZQ2
