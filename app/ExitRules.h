#pragma once

#include "RunMode.h"
#include "math/Vector.h"

class CConsole;
class CControls;

// The input the screen saver's exit rules look at.
class IExitInput
{
public:
    virtual ~IExitInput() = default;
    virtual CVector2 GetMouseOffset() = 0;
    virtual bool IsKeyPressed(char const* name) = 0;
    virtual bool IsAnyKeyPressed() = 0;
    // The system's own view of the Escape key, for presses the input devices missed.
    virtual bool IsEscapeDownForSystem() = 0;
    // The keyboard belongs to the open console (its Escape clears the line).
    virtual bool IsConsoleTakingKeys() { return false; }
};

// The engine's controls and the system key state.
class CControlsExitInput : public IExitInput
{
public:
    // `console` may be null (none created).
    CControlsExitInput(CControls* controls, CConsole* console) : m_controls(controls), m_console(console) {}
    CVector2 GetMouseOffset() override;
    bool IsKeyPressed(char const* name) override;
    bool IsAnyKeyPressed() override;
    bool IsEscapeDownForSystem() override;
    bool IsConsoleTakingKeys() override;

private:
    CControls* m_controls;
    CConsole* m_console;
};

// Which input ends the screen saver ("g_exit_mode").
class CExitRules
{
public:
    static constexpr float GuardTime = 0.5f; // seconds after loading in which input is ignored
    static constexpr float MouseThreshold = 0.01f;

    // Only the screen saver proper ends on input; its windowed run (a desktop menu entry) is
    // closed like any window.
    static bool AppliesTo(ERunMode runMode, bool windowed) { return runMode == RUN_SCREENSAVER && !windowed; }

    // The number of exit requests the mode's conditions make this frame (mode 4 can make two);
    // none while `elapsedTime` is at most GuardTime. Keys do not count while the console is
    // open: they are typed into it.
    static int CountRequests(int exitMode, float elapsedTime, IExitInput& input);

private:
    static bool HasMouseMoved(IExitInput& input);
};
