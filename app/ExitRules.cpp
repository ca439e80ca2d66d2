#include "ExitRules.h"

#include "core/Console.h"
#include "input/Controls.h"
#include "platform/window/EventPump.h"
#include "platform/window/KeyMap.h"

#include <cmath>

CVector2 CControlsExitInput::GetMouseOffset()
{
    return m_controls->GetMouseOffset();
}

bool CControlsExitInput::IsKeyPressed(char const* name)
{
    return m_controls->IsKeyPressed(name);
}

bool CControlsExitInput::IsAnyKeyPressed()
{
    return m_controls->IsAnyKeyPressed();
}

bool CControlsExitInput::IsEscapeDownForSystem()
{
    return platform::GetAsyncKeyState(platform::VK_ESCAPE) != 0;
}

bool CControlsExitInput::IsConsoleTakingKeys()
{
    return m_console && !m_console->IsFree() && m_console->GetState() != CS_CLOSED;
}

bool CExitRules::HasMouseMoved(IExitInput& input)
{
    CVector2 const offset = input.GetMouseOffset();
    return std::fabs(offset.x) > MouseThreshold || std::fabs(offset.y) > MouseThreshold;
}

int CExitRules::CountRequests(int exitMode, float elapsedTime, IExitInput& input)
{
    int conditions = 0;
    bool const keys = !input.IsConsoleTakingKeys();
    switch (exitMode) {
    case 0:
        conditions = HasMouseMoved(input) ? 1 : 0;
        break;
    case 1:
        conditions =
            input.IsKeyPressed("MOUSE1") || input.IsKeyPressed("MOUSE2") || input.IsKeyPressed("MOUSE3");
        break;
    case 2:
        conditions = keys && (input.IsKeyPressed("ESCAPE") || input.IsEscapeDownForSystem());
        break;
    case 3:
        conditions = keys && input.IsAnyKeyPressed() ? 1 : 0;
        break;
    case 4:
        conditions = (HasMouseMoved(input) ? 1 : 0) + (keys && input.IsAnyKeyPressed() ? 1 : 0);
        break;
    default:
        break;
    }
    return elapsedTime > GuardTime ? conditions : 0;
}
