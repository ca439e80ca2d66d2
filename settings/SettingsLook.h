#pragma once

#include <string>

#include "SettingsDialog.h"

class CEngine;

// The dialog's look from the pictures the content builder writes to
// "Data/Textures/Settings/": the panel, three-frame buttons and check boxes, the combo box with
// its list, the slider with its toddler, and the engine's font.
class CSettingsLookBuilder
{
public:
    static constexpr char const* Folder = "Settings\\";

    static constexpr float FontSize = 16.0f;

    static SSettingsLook Build(CEngine* engine);
    // A picture of `frames` frames in "Data/Textures/<name>", blended by its alpha.
    static CShaderDescriptor Picture(CEngine* engine, std::string const& name, unsigned int frames);
};
