#pragma once

#include "math/VectorFwd.h"
#include "platform/window/WindowHandle.h"

#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

class CMessageManager;
class CConfig;

// Movement and buttons of the mouse during one frame.
struct SMouseState
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::uint8_t buttons[8] = {};
};

// One key-down or typed character, as the window procedure reports it.
struct SEnteredKey
{
    char code = 0;
    bool isCharacter = false;
};

struct SControlsState
{
    static constexpr unsigned int KeyCount = 256;
    static constexpr unsigned int StateSize = KeyCount + 8;

    // 256 keyboard bytes by key code, then the 8 mouse buttons (non-zero = down).
    std::uint8_t currentState[StateSize] = {};
    // The same as of the end of the last frame.
    std::uint8_t previousState[StateSize] = {};
    SMouseState mouse;
    // Something was typed this frame; the last entry of the frame (see CControls::EnterKey).
    bool entered = false;
    bool isCharacter = false;
    // A character when isCharacter is set, a virtual-key code otherwise.
    char enteredCode = 0;
};

// Polled keyboard and mouse: key states by name with edge detection, the mouse movement of
// the frame (smoothed, inverted and scaled by configuration), the wheel, typed characters
// and the cursor.
class CControls
{
public:
    static constexpr unsigned int SmoothingSamples = 10;

    CControls();
    ~CControls();
    CControls(CControls const&) = delete;
    CControls& operator=(CControls const&) = delete;

    void Create(CMessageManager* messageManager, CConfig* config, HWND window, HINSTANCE instance);
    void Destroy();
    bool IsFree() const { return m_free; }

    void BeginFrame();
    void FinishFrame();

    bool IsKeyPressed(char const* name) const;
    bool IsKeyPressedOnce(char const* name) const;
    bool IsAnyKeyPressed() const;

    CVector2 GetMouseOffset();
    long GetMouseWheelOffset() const { return m_wheelOffset; }

    // Called by the window procedure for every key-down and character. A frame takes what was
    // typed since the previous one, in order, up to and including the first line key (Enter,
    // Tab, Escape, Up, Down, Page Up, Page Down): such a key acts on the text typed before it,
    // so what follows it waits for the next frame.
    void EnterKey(char code, bool isCharacter);
    // The last entry of this frame.
    bool GetEnteredCharacter(char* code, bool* isCharacter) const;
    // Every entry of this frame, in typing order; empty while input is disabled.
    std::span<SEnteredKey const> GetEnteredKeys() const;
    SControlsState* GetControlsState() { return &m_state; }
    void DisableInput() { m_inputDisabled = true; }

    // Cursor in client coordinates of the window.
    CVector2 GetCursorPosition();
    // False while another program's window covers this one under the pointer.
    bool IsPointerOnTop() const;
    void SetCursorPosition(CVector2 const& position);
    void CenterCursor();
    void ShowCursor(bool const& show);

protected:
    void SmoothMouse();
    void BuildKeyTable();
    // Moves waiting entries into the frame until a line key closes it.
    void TakeWaitingKeys();
    // Reads the mouse relative while no pointer is shown.
    void UpdateRelativeMotion();
    // Moves a shown pointer off the edges of a full-screen window.
    void KeepPointerOffEdges();
    // Moves the pointer to client coordinates of the window.
    void MoveCursor(int x, int y);
    bool IsFrameEntryClosed() const;
    // Index into the state for a name in any case; -1 when the name is unknown.
    int FindKey(char const* name) const;

private:
    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CConfig* m_config = nullptr;
    HWND m_window = nullptr;
    SControlsState m_state;
    std::map<std::string, unsigned int> m_keys;
    float m_mouseOffsetX = 0.0f;
    float m_mouseOffsetY = 0.0f;
    // Newest first.
    std::int32_t m_historyX[SmoothingSamples] = {};
    std::int32_t m_historyY[SmoothingSamples] = {};
    bool m_wheelReported = false;
    std::int32_t m_wheelOffset = 0;
    bool m_inputDisabled = false;
    // Entries of this frame, and those typed after a line key that wait for later frames.
    std::vector<SEnteredKey> m_enteredKeys;
    std::deque<SEnteredKey> m_waitingKeys;
    // The mouse is read relative (the window system's relative mode: no pointer, no edges).
    bool m_relativeMotion = false;
    // The input devices are open (the system's keyboard and mouse through the event pump).
    bool m_keyboardOpen = false;
    bool m_mouseOpen = false;
};
