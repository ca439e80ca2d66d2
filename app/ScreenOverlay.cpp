#include "ScreenOverlay.h"

#include "core/Engine.h"
#include "gui/GUIFont.h"
#include "gui/GUIWindow.h"
#include "math/Color.h"
#include "render/ShaderDescriptor.h"

#include <strings.h>

namespace
{
constexpr unsigned int ShownWindow = 1;
constexpr unsigned int ShownTopLevelWindow = 5;
constexpr float ScreenWidth = 800.0f;
constexpr float ScreenHeight = 600.0f;
} // namespace

void CScreenOverlay::Init(CEngine* engine, bool screenSaver, bool wallpaper, bool statisticsSuppressed)
{
    Shutdown();
    m_engine = engine;
    m_gui = engine->GetGUIManager();
    m_builder.Reset(engine);
    m_statisticsSuppressed = statisticsSuppressed;
    m_shutDown = false;

    CShaderDescriptor fontDescriptor;
    engine->GetShaderManager()->CreateShaderDescriptor(&fontDescriptor, 0u);
    fontDescriptor.AddProperties(SP_BLENDING);
    fontDescriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    fontDescriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int const stage = fontDescriptor.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f,
                                                       "font\\font.tga", "32bit", SSBT_REPEAT);
    fontDescriptor.GetStage(stage)->borderU = SSBT_CLAMP;
    fontDescriptor.GetStage(stage)->borderV = SSBT_CLAMP;
    m_fontId = m_builder.AddFont(fontDescriptor, "Data\\Textures\\font\\font.fnt");
    m_font = m_gui->GetFont(m_fontId);
    if (m_font) {
        m_font->SetSize(FontSize);
        m_font->SetCharactersHorizontalSpace(0.5f);
    }

    CShaderDescriptor textDescriptor;
    m_builder.BuildEmptyDescriptor(&textDescriptor);
    m_textWindowId =
        m_builder.AddWindow(ShownWindow, CVector2(0.0f, 0.0f), CVector2(0.0f, 0.0f), textDescriptor, nullptr);
    m_textWindow = m_gui->GetWindow(m_textWindowId);

    if (screenSaver || wallpaper) {
        CShaderDescriptor loadingDescriptor;
        m_builder.BuildDescriptor(&loadingDescriptor, 1, "loading.jpg", nullptr);
        m_loadingWindowId =
            m_builder.AddWindow(ShownTopLevelWindow, CVector2(0.0f, 0.0f),
                                CVector2(ScreenWidth, ScreenHeight), loadingDescriptor, nullptr);
        m_loadingWindow = m_gui->GetWindow(m_loadingWindowId);
        m_loadingShown = m_loadingWindow != nullptr;
    }
}

void CScreenOverlay::ReleaseShownLoadingPicture()
{
    RemoveLoadingWindow();
}

void CScreenOverlay::RemoveLoadingWindow()
{
    if (!m_loadingWindow)
        return;
    m_gui->RemoveWindow(m_loadingWindowId);
    m_loadingWindow = nullptr;
    m_loadingWindowId = 0;
}

void CScreenOverlay::Refresh()
{
    if (m_shutDown)
        return;
    RemoveLoadingWindow();
    m_loadingShown = false;
    if (m_statisticsSuppressed || strcasecmp(m_engine->GetConfig()->GetValue("g_debug_mode"), "0") == 0)
        return;
    PrintStatistics();
}

void CScreenOverlay::PrintStatistics()
{
    if (!m_font || !m_textWindow)
        return;
    CColor const white(COLOR_WHITE);
    CConfig* config = m_engine->GetConfig();
    CModelManager* models = m_engine->GetModelManager();
    m_gui->Print(m_font, m_textWindow, CVector2(710.0f, 580.0f), white, "Fps: %d",
                 m_engine->GetTimerManager()->GetFps());
    // GetValue shares one buffer, so each value is printed before the next is read.
    m_gui->Print(m_font, m_textWindow, CVector2(5.0f, 5.0f), white, "Camera Z: %s",
                 config->GetValue("g_camera_position_z"));
    m_gui->Print(m_font, m_textWindow, CVector2(5.0f, 25.0f), white, "Camera Y: %s",
                 config->GetValue("g_camera_position_y"));
    m_gui->Print(m_font, m_textWindow, CVector2(5.0f, 45.0f), white, "Camera X: %s",
                 config->GetValue("g_camera_position_x"));
    m_gui->Print(m_font, m_textWindow, CVector2(5.0f, 580.0f), white, "Triangles count: %d",
                 static_cast<int>(models->GetTrianglesCount()));
    m_gui->Print(m_font, m_textWindow, CVector2(5.0f, 560.0f), white, "Visible triangles count: %d",
                 static_cast<int>(models->GetVisibleTrianglesCount()));
}

void CScreenOverlay::Shutdown()
{
    if (m_shutDown)
        return;
    RemoveLoadingWindow();
    m_loadingShown = false;
    if (m_textWindow)
        m_gui->RemoveWindow(m_textWindowId);
    m_textWindow = nullptr;
    if (m_font)
        m_gui->RemoveFont(m_fontId);
    m_font = nullptr;
    m_shutDown = true;
}
