#pragma once

#include "GUIBuilder.h"

class CEngine;
class CGUIFont;
class CGUIManager;
class CGUIWindow;

// The loading picture shown until the first frame, the font, and the statistics of debug mode.
class CScreenOverlay
{
public:
    static constexpr float FontSize = 15.0f;

    CScreenOverlay() = default;
    ~CScreenOverlay() = default;
    CScreenOverlay(CScreenOverlay const&) = delete;
    CScreenOverlay& operator=(CScreenOverlay const&) = delete;

    void Init(CEngine* engine, bool screenSaver, bool wallpaper, bool statisticsSuppressed);
    void Refresh();
    void Shutdown();
    bool IsShutDown() const { return m_shutDown; }

    CGUIFont* GetFont() const { return m_font; }
    float GetFontSize() const { return FontSize; }
    // The loading frame has been shown: the picture stays on screen (the last frame shown)
    // until the first scene frame, so its window and texture go now and their memory serves
    // the loading.
    void ReleaseShownLoadingPicture();
    bool IsLoadingScreenShown() const { return m_loadingShown; }

private:
    void RemoveLoadingWindow();
    void PrintStatistics();

    bool m_shutDown = true;
    CEngine* m_engine = nullptr;
    CGUIManager* m_gui = nullptr;
    CGUIBuilder m_builder;
    bool m_statisticsSuppressed = false;
    unsigned int m_fontId = 0;
    CGUIFont* m_font = nullptr;
    unsigned int m_loadingWindowId = 0;
    CGUIWindow* m_loadingWindow = nullptr;
    bool m_loadingShown = false; // on screen until the first scene frame
    unsigned int m_textWindowId = 0;
    CGUIWindow* m_textWindow = nullptr;
};
