#pragma once

namespace platform
{
// Modal message box with an OK button and no owner window. The text also goes to
// standard error, so it is seen where no display is available.
void ShowMessageBox(char const* caption, char const* text);

// Suppresses the window part (tests, headless runs); standard error still gets the text.
void SetMessageBoxesEnabled(bool enabled);
} // namespace platform
