#pragma once

// SIGTERM, SIGINT and SIGHUP ask the program to end: the request is noted, and the program
// ends normally at its next chance (between frames, or by closing a message box it waits on).
namespace platform
{
void InstallTerminationHandlers();
bool IsTerminationRequested();
// Forgets a request (tests).
void ClearTerminationRequest();
} // namespace platform
