#pragma once

#include "math/Vector.h"

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
};

// The engine's controls and the system key state.
class CControlsExitInput : public IExitInput
{
public:
    explicit CControlsExitInput(CControls* controls) : m_controls(controls) {}
    CVector2 GetMouseOffset() override;
    bool IsKeyPressed(char const* name) override;
    bool IsAnyKeyPressed() override;
    bool IsEscapeDownForSystem() override;

private:
    CControls* m_controls;
};

// Which input ends the screen saver ("g_exit_mode").
class CExitRules
{
public:
    static constexpr float GuardTime = 0.5f; // seconds after loading in which input is ignored
    static constexpr float MouseThreshold = 0.01f;

    // The number of exit requests the mode's conditions make this frame (mode 4 can make two);
    // none while `elapsedTime` is at most GuardTime.
    static int CountRequests(int exitMode, float elapsedTime, IExitInput& input);

private:
    static bool HasMouseMoved(IExitInput& input);
};
