#include "input/Controls.h"

#include "core/Config.h"
#include "core/MessageManager.h"
#include "math/Vector.h"
#include "platform/window/EventPump.h"
#include "platform/window/NativeWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
struct KeyName
{
    char const* name;
    unsigned int index;
};

constexpr KeyName KeyNames[] = {
    {"MOUSE1", 256},       {"MOUSE2", 257},     {"MOUSE3", 258},       {"MOUSE4", 259},
    {"MOUSE5", 260},       {"MOUSE6", 261},     {"MOUSE7", 262},       {"MOUSE8", 263},
    {"CAPS_LOCK", 0x3A},   {"NUM_LOCK", 0x45},  {"SCROLL_LOCK", 0x46}, {"0", 0x0B},
    {"1", 0x02},           {"2", 0x03},         {"3", 0x04},           {"4", 0x05},
    {"5", 0x06},           {"6", 0x07},         {"7", 0x08},           {"8", 0x09},
    {"9", 0x0A},           {"A", 0x1E},         {"B", 0x30},           {"C", 0x2E},
    {"D", 0x20},           {"E", 0x12},         {"F", 0x21},           {"G", 0x22},
    {"H", 0x23},           {"I", 0x17},         {"J", 0x24},           {"K", 0x25},
    {"L", 0x26},           {"M", 0x32},         {"N", 0x31},           {"O", 0x18},
    {"P", 0x19},           {"Q", 0x10},         {"R", 0x13},           {"S", 0x1F},
    {"T", 0x14},           {"U", 0x16},         {"V", 0x2F},           {"W", 0x11},
    {"X", 0x2D},           {"Y", 0x15},         {"Z", 0x2C},           {"BACKSPACE", 0x0E},
    {"TAB", 0x0F},         {"SPACE", 0x39},     {"ENTER", 0x1C},       {"ESCAPE", 0x01},
    {"RSHIFT", 0x36},      {"LSHIFT", 0x2A},    {"RCTRL", 0x9D},       {"LCTRL", 0x1D},
    {"RALT", 0xB8},        {"LALT", 0x38},      {"PAGEUP", 0xC9},      {"PAGEDOWN", 0xD1},
    {"END", 0xCF},         {"HOME", 0xC7},      {"PRINTSCRN", 0xB7},   {"INSERT", 0xD2},
    {"DELETE", 0xD3},      {"PAUSE", 0xC5},     {"LEFTARROW", 0xCB},   {"UPARROW", 0xC8},
    {"RIGHTARROW", 0xCD},  {"DOWNARROW", 0xD0}, {"NUMPAD0", 0x52},     {"NUMPAD1", 0x4F},
    {"NUMPAD2", 0x50},     {"NUMPAD3", 0x51},   {"NUMPAD4", 0x4B},     {"NUMPAD5", 0x4C},
    {"NUMPAD6", 0x4D},     {"NUMPAD7", 0x47},   {"NUMPAD8", 0x48},     {"NUMPAD9", 0x49},
    {"NP_MULTIPLY", 0x37}, {"NP_PLUS", 0x4E},   {"NP_MINUS", 0x4A},    {"NP_DELETE", 0x53},
    {"NP_DIVIDE", 0xB5},   {"F1", 0x3B},        {"F2", 0x3C},          {"F3", 0x3D},
    {"F4", 0x3E},          {"F5", 0x3F},        {"F6", 0x40},          {"F7", 0x41},
    {"F8", 0x42},          {"F9", 0x43},        {"F10", 0x44},         {"F11", 0x57},
    {"F12", 0x58},         {"~", 0x29},         {";", 0x27},           {"=", 0x0D},
    {",", 0x33},           {"-", 0x0C},         {".", 0x34},           {"/", 0x35},
    {"[", 0x1A},           {"\\", 0x2B},        {"]", 0x1B},           {"'", 0x28},
};

// Weights 0.6^i of the smoothing history, newest first.
constexpr float SmoothingWeights[CControls::SmoothingSamples] = {
    1.0f, 0.6f, 0.36f, 0.216f, 0.1296f, 0.07776f, 0.046656f, 0.0279936f, 0.01679616f, 0.010077696f};

// Virtual keys that act on the whole line typed before them.
constexpr unsigned char LineKeys[] = {0x0D, 0x09, 0x1B, 0x26, 0x28, 0x21, 0x22};
// Bounds what a stalled frame loop keeps of a held, repeating key.
constexpr std::size_t MaxEnteredKeys = 256;

bool IsLineKey(SEnteredKey const& key)
{
    return !key.isCharacter && std::find(std::begin(LineKeys), std::end(LineKeys),
                                         static_cast<unsigned char>(key.code)) != std::end(LineKeys);
}

constexpr std::int32_t SmoothingClamp = 100;
constexpr std::int32_t SmoothingThreshold = 3;
} // namespace

CControls::CControls() = default;

CControls::~CControls()
{
    Destroy();
}

void CControls::Create(CMessageManager* messageManager, CConfig* config, HWND window, HINSTANCE /*instance*/)
{
    Destroy();
    m_messageManager = messageManager;
    m_config = config;
    m_window = window;
    m_mouseOffsetX = 0.0f;
    m_mouseOffsetY = 0.0f;
    std::fill(std::begin(m_historyX), std::end(m_historyX), 0);
    std::fill(std::begin(m_historyY), std::end(m_historyY), 0);
    m_wheelReported = false;
    m_wheelOffset = 0;
    m_state.entered = false;
    m_enteredKeys.clear();
    m_waitingKeys.clear();
    m_inputDisabled = false;
    m_free = false;

    // Keyboard and mouse are the system's, read through the event pump.
    m_messageManager->Write("Initialization of DirectInput devices...");
    m_messageManager->Write("...Keyboard:");
    m_messageManager->Write("......Creating a DirectInput object...");
    if (!platform::OpenInputDevices()) {
        m_messageManager->WriteFatalError("Failed to create a DirectInput object");
    }
    m_messageManager->Write("......Obtaining an interface to the system keyboard device...");
    m_messageManager->Write("......Setting the data format...");
    m_messageManager->Write("......Setting the cooperativity level...");
    m_keyboardOpen = true;

    m_messageManager->Write("...Mouse:");
    m_messageManager->Write("......Creating a DirectInput object...");
    if (!platform::OpenInputDevices()) {
        m_messageManager->WriteFatalError("Failed to create a DirectInput object");
    }
    m_messageManager->Write("......Obtaining an interface to the system mouse device...");
    m_messageManager->Write("......Setting the data format...");
    m_messageManager->Write("......Setting the cooperativity level...");
    m_mouseOpen = true;

    std::memset(m_state.previousState, 0, sizeof(m_state.previousState));
    BuildKeyTable();
}

void CControls::Destroy()
{
    if (m_free) {
        return;
    }
    m_messageManager->Write("\nDirectInput devices destroying:");
    m_messageManager->Write("...Keyboard...");
    if (m_keyboardOpen) {
        m_keyboardOpen = false;
        platform::CloseInputDevices();
    }
    m_messageManager->Write("...Mouse...");
    if (m_mouseOpen) {
        m_mouseOpen = false;
        platform::CloseInputDevices();
    }
    m_messageManager->Write("...DirectInput object...");
    if (m_relativeMotion) {
        m_relativeMotion = false;
        platform::SetRelativePointerMode(false);
    }
    m_keys.clear();
    ShowCursor(true);
    m_free = true;
}

void CControls::BuildKeyTable()
{
    m_keys.clear();
    for (KeyName const& key : KeyNames) {
        m_keys.emplace(key.name, key.index);
    }
}

void CControls::UpdateRelativeMotion()
{
    // While no pointer is shown (a hidden cursor, or a drag with the second button that turns
    // the camera) the movement is read relative, so it keeps coming at the screen's edges.
    // Windows of other programs are never grabbed.
    bool const wanted = m_window != nullptr && !platform::IsForeignWindow(m_window) &&
                        platform::HasKeyboardFocus(m_window) &&
                        (!platform::IsCursorShown() || m_state.mouse.buttons[1] != 0);
    if (wanted != m_relativeMotion) {
        m_relativeMotion = wanted;
        platform::SetRelativePointerMode(wanted);
    }
}

void CControls::KeepPointerOffEdges()
{
    // A shown pointer pushed against the edge of a full-screen window moves no further, and
    // no movement is reported: it is put back one step inside, so pushing on still moves it.
    if (m_relativeMotion || m_window == nullptr || platform::IsForeignWindow(m_window) ||
        !platform::HasKeyboardFocus(m_window) || !platform::IsWindowFullScreen(m_window)) {
        return;
    }
    int x = 0;
    int y = 0;
    unsigned int clientWidth = 0;
    unsigned int clientHeight = 0;
    platform::GetWindowClientSize(m_window, &clientWidth, &clientHeight);
    int const width = static_cast<int>(clientWidth);
    int const height = static_cast<int>(clientHeight);
    if (width < 3 || height < 3 || !platform::GetPointerPosition(m_window, &x, &y)) {
        return;
    }
    int const insideX = std::clamp(x, 1, width - 2);
    int const insideY = std::clamp(y, 1, height - 2);
    if (insideX != x || insideY != y) {
        MoveCursor(insideX, insideY);
    }
}

void CControls::BeginFrame()
{
    if (m_free) {
        return;
    }
    UpdateRelativeMotion();
    KeepPointerOffEdges();
    std::memset(m_state.currentState, 0, sizeof(m_state.currentState));
    platform::ReadKeyboardState(m_state.currentState);

    platform::MouseState mouse;
    platform::ReadMouseState(&mouse);
    m_state.mouse.x = mouse.x;
    m_state.mouse.y = mouse.y;
    m_state.mouse.wheel = mouse.wheel;
    std::memcpy(m_state.mouse.buttons, mouse.buttons, sizeof(m_state.mouse.buttons));
    std::memcpy(m_state.currentState + SControlsState::KeyCount, m_state.mouse.buttons,
                sizeof(m_state.mouse.buttons));

    SMainSettings const* settings = m_config->GetMainSettings();
    if (settings->c_smooth_mouse) {
        SmoothMouse();
    } else {
        m_mouseOffsetX = static_cast<float>(m_state.mouse.x);
        m_mouseOffsetY = static_cast<float>(m_state.mouse.y);
    }
    // The device's y grows downwards, the offset's upwards.
    if (!settings->c_invert_mouse) {
        m_mouseOffsetY = -m_mouseOffsetY;
    }
    m_mouseOffsetX *= settings->c_mouse_sensitivity;
    m_mouseOffsetY *= settings->c_mouse_sensitivity;

    // A wheel movement is reported at most every second frame.
    if (m_wheelReported) {
        m_wheelOffset = 0;
        m_wheelReported = false;
    } else {
        m_wheelOffset = m_state.mouse.wheel;
        m_wheelReported = m_wheelOffset != 0;
    }

    if (m_inputDisabled) {
        if (!m_state.entered) {
            m_inputDisabled = false;
        } else {
            m_state.entered = false;
            m_enteredKeys.clear();
            std::memset(m_state.currentState, 0, sizeof(m_state.currentState));
        }
    }
}

void CControls::SmoothMouse()
{
    m_state.mouse.x = std::clamp(m_state.mouse.x, -SmoothingClamp, SmoothingClamp);
    m_state.mouse.y = std::clamp(m_state.mouse.y, -SmoothingClamp, SmoothingClamp);

    std::copy_backward(m_historyX, m_historyX + SmoothingSamples - 1, m_historyX + SmoothingSamples);
    std::copy_backward(m_historyY, m_historyY + SmoothingSamples - 1, m_historyY + SmoothingSamples);
    m_historyX[0] = m_state.mouse.x;
    m_historyY[0] = m_state.mouse.y;

    float sumX = 0.0f;
    float sumY = 0.0f;
    float weights = 0.0f;
    for (unsigned int i = 0; i < SmoothingSamples; ++i) {
        sumX += SmoothingWeights[i] * static_cast<float>(m_historyX[i]);
        sumY += SmoothingWeights[i] * static_cast<float>(m_historyY[i]);
        weights += SmoothingWeights[i];
    }
    m_mouseOffsetX = sumX / weights;
    m_mouseOffsetY = sumY / weights;

    // Small movements are passed through unsmoothed.
    if (std::abs(m_state.mouse.x) < SmoothingThreshold) {
        m_mouseOffsetX = static_cast<float>(m_state.mouse.x);
    }
    if (std::abs(m_state.mouse.y) < SmoothingThreshold) {
        m_mouseOffsetY = static_cast<float>(m_state.mouse.y);
    }
}

void CControls::FinishFrame()
{
    std::memcpy(m_state.previousState, m_state.currentState, sizeof(m_state.currentState));
    m_state.entered = false;
    m_enteredKeys.clear();
    TakeWaitingKeys();
}

bool CControls::IsFrameEntryClosed() const
{
    return m_enteredKeys.size() >= MaxEnteredKeys ||
           (!m_enteredKeys.empty() && IsLineKey(m_enteredKeys.back()));
}

void CControls::EnterKey(char code, bool isCharacter)
{
    SEnteredKey const key{code, isCharacter};
    if (!m_waitingKeys.empty() || IsFrameEntryClosed()) {
        if (m_waitingKeys.size() < MaxEnteredKeys) {
            m_waitingKeys.push_back(key);
        }
        return;
    }
    m_enteredKeys.push_back(key);
    m_state.entered = true;
    m_state.isCharacter = isCharacter;
    m_state.enteredCode = code;
}

void CControls::TakeWaitingKeys()
{
    while (!m_waitingKeys.empty() && !IsFrameEntryClosed()) {
        SEnteredKey const key = m_waitingKeys.front();
        m_waitingKeys.pop_front();
        m_enteredKeys.push_back(key);
        m_state.entered = true;
        m_state.isCharacter = key.isCharacter;
        m_state.enteredCode = key.code;
    }
}

std::span<SEnteredKey const> CControls::GetEnteredKeys() const
{
    if (m_inputDisabled) {
        return {};
    }
    return m_enteredKeys;
}

int CControls::FindKey(char const* name) const
{
    if (name == nullptr) {
        return -1;
    }
    std::string upper(name);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    auto const found = m_keys.find(upper);
    return found == m_keys.end() ? -1 : static_cast<int>(found->second);
}

bool CControls::IsKeyPressed(char const* name) const
{
    if (m_inputDisabled) {
        return false;
    }
    int const index = FindKey(name);
    return index >= 0 && m_state.currentState[index] != 0;
}

bool CControls::IsKeyPressedOnce(char const* name) const
{
    if (m_inputDisabled) {
        return false;
    }
    int const index = FindKey(name);
    return index >= 0 && m_state.currentState[index] != 0 && m_state.previousState[index] == 0;
}

bool CControls::IsAnyKeyPressed() const
{
    if (m_inputDisabled) {
        return false;
    }
    return std::any_of(m_keys.begin(), m_keys.end(),
                       [this](auto const& key) { return m_state.currentState[key.second] != 0; });
}

CVector2 CControls::GetMouseOffset()
{
    return CVector2(m_mouseOffsetX, m_mouseOffsetY);
}

bool CControls::GetEnteredCharacter(char* code, bool* isCharacter) const
{
    if (m_inputDisabled || !m_state.entered) {
        return false;
    }
    *code = m_state.enteredCode;
    *isCharacter = m_state.isCharacter;
    return true;
}

CVector2 CControls::GetCursorPosition()
{
    // The motion events tell where the pointer is; the system is asked only before any came.
    int x = 0;
    int y = 0;
    if (!platform::GetPointerPosition(m_window, &x, &y)) {
        platform::GetCursorClientPosition(m_window, &x, &y);
    }
    return CVector2(static_cast<float>(x), static_cast<float>(y));
}

bool CControls::IsPointerOnTop() const
{
    return platform::IsPointerOnTopOf(m_window);
}

void CControls::SetCursorPosition(CVector2 const& position)
{
    MoveCursor(static_cast<int>(position.x), static_cast<int>(position.y));
}

void CControls::MoveCursor(int x, int y)
{
    platform::SetCursorClientPosition(m_window, x, y);
    platform::SetPointerPosition(m_window, x, y);
}

void CControls::CenterCursor()
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    if (platform::GetWindowRectangle(m_window, &left, &top, &width, &height)) {
        MoveCursor(width / 2, height / 2);
    }
}

void CControls::ShowCursor(bool const& show)
{
    if (show) {
        while (platform::ShowCursor(true) < 0) {
        }
    } else {
        while (platform::ShowCursor(false) >= 0) {
        }
    }
}
