#pragma once

#include "math/Vector.h"

class CControls;
class CEngine;
class CGUIFont;
class CGUIManager;
class CGUIWindow;
class CShaderDescriptor;
class CShaderManager;
class CTimerManager;

// Adds fonts and windows to the GUI with a ready shader descriptor: one stage of a clamped
// picture, with alpha blending when it brings an opacity map.
class CGUIBuilder
{
public:
    void Reset(CEngine* engine);

    // Stage flags: texture and mip mapping (5), plus an opacity map (7) unless the opacity name
    // says "32bit" (the picture's own alpha); an animated stage when `frames` is 2 or more.
    void BuildDescriptor(CShaderDescriptor* descriptor, unsigned int frames, char const* imageName,
                         char const* opacityName) const;
    // A descriptor with no stage.
    void BuildEmptyDescriptor(CShaderDescriptor* descriptor) const;

    unsigned int AddWindow(unsigned int properties, CVector2 const& position, CVector2 const& size,
                           CShaderDescriptor const& descriptor, CGUIWindow* parent) const;
    unsigned int AddFont(CShaderDescriptor const& descriptor, char const* fileName) const;

private:
    CEngine* m_engine = nullptr;
    CTimerManager* m_timers = nullptr;
    CControls* m_controls = nullptr;
    CGUIManager* m_gui = nullptr;
};
