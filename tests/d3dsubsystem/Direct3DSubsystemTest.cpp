#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Config.h"
#include "core/Errors.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/Window.h"
#include "support/FakeDirect3D8.h"

namespace
{
class InspectableSubsystem : public CDirect3DSubsystem
{
public:
    using CDirect3DSubsystem::CurrentDevice;
    using CDirect3DSubsystem::CurrentMode;
};

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8, UINT refresh = 60)
{
    return {width, height, refresh, format};
}

std::vector<D3DDISPLAYMODE> DesktopModes()
{
    return {Mode(640, 480),
            Mode(800, 600),
            Mode(1024, 768),
            Mode(1152, 864),
            Mode(1280, 720),
            Mode(1280, 960),
            Mode(1280, 1024),
            Mode(640, 480, D3DFMT_R5G6B5),
            Mode(800, 600, D3DFMT_R5G6B5),
            Mode(1024, 768, D3DFMT_R5G6B5)};
}

class Direct3DSubsystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        messages.Create("test", false, nullptr);
        memory.Create(&messages);
        config.Create(&messages, &memory, nullptr, nullptr, "test", "1024x768x32");
        settings = config.GetMainSettings();
        settings->v_fullscreen = false;
        fake.adapters.push_back(FakeDirect3D8::MakeAdapter(Mode(1280, 1024), DesktopModes()));
        fake.Install();
        // The window stays free: the fake device needs no native window, and a free window
        // ignores SetMode.
    }

    void TearDown() override { subsystem.Destroy(); }

    void SetMode(char const* mode) { std::snprintf(settings->v_mode, sizeof settings->v_mode, "%s", mode); }

    // The fatal text Create stops with ("" when it succeeds).
    std::string CreateFailure()
    {
        try {
            subsystem.Create(&messages, &memory, &config, &window);
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    bool HasMessage(EMessageType type, char const* text)
    {
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
            if (messages.GetMessageType(i) == type && std::strstr(messages.GetMessageText(i), text)) {
                return true;
            }
        }
        return false;
    }

    FakeDirect3DDevice8* Device() { return fake.GetDevice(); }

    CMessageManager messages;
    CMemoryManager memory;
    CConfig config;
    SMainSettings* settings = nullptr;
    CWindow window;
    FakeDirect3D8 fake;
    InspectableSubsystem subsystem;
};

// --- device list and selection ----------------------------------------------------------

TEST_F(Direct3DSubsystemTest, AdapterWithOnlyModesBelow640x400HasNoDevice)
{
    fake.adapters[0].modes = {Mode(320, 200), Mode(512, 384), Mode(639, 480), Mode(800, 399)};
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to find any compatible Direct3D devices");
}

TEST_F(Direct3DSubsystemTest, NoAdapterIsFatal)
{
    fake.adapters.clear();
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to find any compatible Direct3D devices");
}

TEST_F(Direct3DSubsystemTest, ModesAreFoldedSortedAndPairedWithDepthAndBehaviour)
{
    fake.adapters[0].modes = {Mode(800, 600, D3DFMT_R5G6B5, 60), Mode(640, 480, D3DFMT_X8R8G8B8, 60),
                              Mode(640, 480, D3DFMT_X8R8G8B8, 75), Mode(1024, 768, D3DFMT_X8R8G8B8, 60),
                              Mode(1024, 600, D3DFMT_X8R8G8B8, 60)};
    fake.adapters[0].hal.depthFormats = {D3DFMT_D24X8, D3DFMT_D32};
    SetMode("640x480x32");
    ASSERT_EQ(CreateFailure(), "");
    std::vector<SVideoMode> const& modes = subsystem.CurrentDevice().modes;
    ASSERT_EQ(modes.size(), 4u);
    // Format 22 before 23; width, then height, descending; refresh rates folded.
    EXPECT_EQ(modes[0].width, 1024u);
    EXPECT_EQ(modes[0].height, 768u);
    EXPECT_EQ(modes[1].height, 600u);
    EXPECT_EQ(modes[2].width, 640u);
    EXPECT_EQ(modes[3].format, unsigned(D3DFMT_R5G6B5));
    EXPECT_EQ(modes[3].bitDepth, 16u);
    EXPECT_EQ(modes[0].bitDepth, 32u);
    EXPECT_EQ(modes[0].depthStencilFormat, unsigned(D3DFMT_D24X8));
    EXPECT_EQ(modes[0].behaviour, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE);
    EXPECT_EQ(subsystem.CurrentMode().width, 640u);
    EXPECT_EQ(subsystem.GetPresentParameters().AutoDepthStencilFormat, D3DFMT_D24X8);
}

TEST_F(Direct3DSubsystemTest, FormatWithoutDepthBufferIsDropped)
{
    fake.adapters[0].hal.depthFormats = {D3DFMT_D15S1}; // needs 16 depth bits: none fits
    fake.adapters[0].ref.present = false;
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to find any compatible Direct3D devices");
}

TEST_F(Direct3DSubsystemTest, SoftwareVertexProcessingWithoutHardwareTransform)
{
    fake.adapters[0].hal.caps.DevCaps = 0;
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(subsystem.CurrentMode().behaviour, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(Direct3DSubsystemTest, ReferenceDeviceChosenWhenHardwareCannotRenderWindowed)
{
    fake.adapters[0].hal.caps.Caps2 = 0;
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(subsystem.CurrentDevice().deviceType, D3DDEVTYPE_REF);
    EXPECT_TRUE(HasMessage(MT_WARNING, "Direct3DSubsystem: Switching to the reference rasterizer"));
}

TEST_F(Direct3DSubsystemTest, AdapterWithoutDevicesIsSkippedButKeepsItsNumber)
{
    fake.adapters.push_back(fake.adapters[0]);
    fake.adapters[0].modes = {Mode(320, 200)};
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(fake.CountCalls("CreateDevice(1,1,"), 1u);
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,"), 0u);
}

TEST_F(Direct3DSubsystemTest, NullReferenceDeviceIsFatal)
{
    fake.adapters[0].hal.caps.PrimitiveMiscCaps |= D3DPMISCCAPS_NULLREFERENCE;
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to create Direct3D software device");
}

// --- video mode ---------------------------------------------------------------------------

TEST_F(Direct3DSubsystemTest, DesktopModeForcesFullScreen)
{
    SetMode("desktop");
    settings->v_fullscreen = false;
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_TRUE(settings->v_fullscreen);
    EXPECT_STREQ(settings->v_mode, "desktop");
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,1,80,1280,1024,22,0)"), 1u);
}

TEST_F(Direct3DSubsystemTest, WindowAsLargeAsTheDesktopIsReplaced)
{
    SetMode("1280x1024x32");
    ASSERT_EQ(CreateFailure(), "");
    // 1280 x 960 is not narrower than the desktop; 1280 x 720 neither: 1152 x 864 is the largest.
    EXPECT_STREQ(settings->v_mode, "1152x864x32");
    EXPECT_FALSE(settings->v_fullscreen);
    D3DPRESENT_PARAMETERS const& parameters = subsystem.GetPresentParameters();
    EXPECT_TRUE(parameters.Windowed);
    EXPECT_EQ(parameters.BackBufferWidth, 1152u);
    EXPECT_EQ(parameters.BackBufferHeight, 864u);
    EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(parameters.FullScreen_PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
}

TEST_F(Direct3DSubsystemTest, ReplacementKeepsTheRequestedDepthAndNeedsBothDivisors)
{
    fake.adapters[0].modes = {Mode(1278, 960), Mode(1200, 900), Mode(1000, 750), Mode(640, 480)};
    SetMode("1600x1200x16");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_STREQ(settings->v_mode, "1200x900x16");
}

TEST_F(Direct3DSubsystemTest, ReplacementWithNothingAbove640x480SelectsThatMode)
{
    fake.adapters[0].desktopMode = Mode(800, 600);
    fake.adapters[0].modes = {Mode(800, 600), Mode(640, 480)};
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_STREQ(settings->v_mode, "640x480x32");
    EXPECT_EQ(subsystem.CurrentMode().width, 640u);
    EXPECT_EQ(subsystem.GetPresentParameters().BackBufferWidth, 640u);
}

TEST_F(Direct3DSubsystemTest, UnavailableModeFallsBackToTheDefault)
{
    settings->v_fullscreen = true;
    SetMode("1000x1000x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_STREQ(settings->v_mode, "1024x768x32");
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,1,80,1024,768,22,0)"), 1u);
}

TEST_F(Direct3DSubsystemTest, UnavailableDefaultFallsBackTo640x480x16)
{
    fake.adapters[0].modes = {Mode(800, 600), Mode(640, 480, D3DFMT_R5G6B5)};
    settings->v_fullscreen = true;
    SetMode("1000x1000x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_STREQ(settings->v_mode, "640x480x16");
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,1,80,640,480,23,0)"), 1u);
}

TEST_F(Direct3DSubsystemTest, NoFallbackAvailableIsFatal)
{
    fake.adapters[0].modes = {Mode(800, 600)};
    settings->v_fullscreen = true;
    SetMode("1000x1000x32");
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to find compatible video mode");
}

TEST_F(Direct3DSubsystemTest, UnavailableDesktopDefaultEndsInsteadOfCycling)
{
    config.Destroy();
    config.Create(&messages, &memory, nullptr, nullptr, "test", "desktop");
    settings = config.GetMainSettings();
    fake.adapters[0].modes = {Mode(800, 600)}; // neither the desktop size nor 640x480x16
    SetMode("640x480x16");
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to find compatible video mode");
}

// --- present parameters and creation --------------------------------------------------------

TEST_F(Direct3DSubsystemTest, FullScreenWithVsyncCopiesOnVerticalSync)
{
    settings->v_fullscreen = true;
    settings->v_vsync = true;
    SetMode("800x600x16");
    ASSERT_EQ(CreateFailure(), "");
    D3DPRESENT_PARAMETERS const& parameters = subsystem.GetPresentParameters();
    EXPECT_FALSE(parameters.Windowed);
    EXPECT_EQ(parameters.SwapEffect, D3DSWAPEFFECT_COPY_VSYNC);
    EXPECT_EQ(parameters.FullScreen_PresentationInterval, D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(parameters.BackBufferCount, 1u);
    EXPECT_TRUE(parameters.EnableAutoDepthStencil);
    EXPECT_EQ(parameters.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(parameters.hDeviceWindow, window.GetHandler());
}

TEST_F(Direct3DSubsystemTest, FullScreenWithoutVsyncPresentsImmediately)
{
    settings->v_fullscreen = true;
    settings->v_vsync = false;
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(subsystem.GetPresentParameters().SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(subsystem.GetPresentParameters().FullScreen_PresentationInterval,
              D3DPRESENT_INTERVAL_IMMEDIATE);
}

TEST_F(Direct3DSubsystemTest, IntervalStaysDefaultWithoutBothIntervalCaps)
{
    fake.adapters[0].hal.caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE;
    settings->v_fullscreen = true;
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(subsystem.GetPresentParameters().SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(subsystem.GetPresentParameters().FullScreen_PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
}

TEST_F(Direct3DSubsystemTest, CapabilitiesOfTheCreatedDeviceAreLoggedAndKept)
{
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(subsystem.GetMaxTextureUnits(), 4u);
    EXPECT_EQ(subsystem.GetMaxTextureWidth(), 2048u);
    EXPECT_EQ(subsystem.GetMaxTextureHeight(), 2048u);
    EXPECT_EQ(subsystem.GetMaxTextureAnisotropy(), 16u);
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "......Version: 1.2.3.4"));
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "......Type: Hardware"));
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "......Vertex Processing: Hardware"));
    EXPECT_TRUE(HasMessage(MT_MESSAGE, ".........Maximal texture size: 2048x2048"));
}

TEST_F(Direct3DSubsystemTest, FailedHardwareCreationFallsBackToTheReferenceDevice)
{
    fake.adapters[0].hal.createResult = D3DERR_NOTAVAILABLE;
    fake.adapters[0].ref.caps.Caps2 = 0; // cannot render windowed: full screen then
    SetMode("800x600x32");
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,1,"), 1u);
    EXPECT_EQ(fake.CountCalls("CreateDevice(0,2,"), 1u);
    EXPECT_TRUE(settings->v_fullscreen);
    EXPECT_TRUE(HasMessage(MT_WARNING, "......Direct3DSubsystem: Switching to the reference rasterizer"));
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "......Type: Software"));
}

TEST_F(Direct3DSubsystemTest, FailedReferenceCreationIsFatal)
{
    fake.adapters[0].hal.createResult = D3DERR_NOTAVAILABLE;
    fake.adapters[0].ref.createResult = D3DERR_OUTOFVIDEOMEMORY;
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to create Direct3D device");
}

TEST_F(Direct3DSubsystemTest, FailedHardwareCreationWithoutReferenceDeviceIsFatal)
{
    fake.adapters[0].hal.createResult = D3DERR_NOTAVAILABLE;
    fake.adapters[0].ref.present = false;
    EXPECT_EQ(CreateFailure(), "Direct3DSubsystem: Failed to create Direct3D device");
}

TEST_F(Direct3DSubsystemTest, DestroyReleasesDeviceAndInterface)
{
    ASSERT_EQ(CreateFailure(), "");
    EXPECT_EQ(fake.GetReferences(), 2u);
    subsystem.Destroy();
    EXPECT_EQ(fake.GetReferences(), 1u);
    EXPECT_EQ(Device()->GetReferences(), 1u); // only the fake's record keeps it
    EXPECT_EQ(subsystem.GetDevice(), nullptr);
    EXPECT_TRUE(subsystem.IsFree());
}

// --- state cache ----------------------------------------------------------------------------

class Direct3DSubsystemCacheTest : public Direct3DSubsystemTest
{
protected:
    void SetUp() override
    {
        Direct3DSubsystemTest::SetUp();
        SetMode("800x600x32");
        ASSERT_EQ(CreateFailure(), "");
        fake.ClearCalls();
    }
};

TEST_F(Direct3DSubsystemCacheTest, FirstFrameSendsEveryValue)
{
    subsystem.Refresh();
    EXPECT_TRUE(subsystem.IsForceStates());
    subsystem.SetAlphaBlend(1);
    subsystem.SetAlphaBlend(1);
    subsystem.SetCullMode(D3DCULL_CCW);
    subsystem.SetCullMode(D3DCULL_CCW);
    EXPECT_EQ(fake.CountCalls("SetRenderState(27,1)"), 2u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(22,3)"), 2u);
}

TEST_F(Direct3DSubsystemCacheTest, LaterFramesSendEachChangeOnce)
{
    subsystem.Refresh();
    subsystem.Refresh();
    EXPECT_FALSE(subsystem.IsForceStates());
    subsystem.SetSrcBlend(D3DBLEND_SRCALPHA);
    subsystem.SetSrcBlend(D3DBLEND_SRCALPHA);
    subsystem.SetDstBlend(D3DBLEND_INVSRCALPHA);
    subsystem.SetLighting(1);
    subsystem.SetNormalizeNormals(1);
    subsystem.SetZEnable(1);
    subsystem.SetZEnable(1);
    subsystem.SetZEnable(0);
    EXPECT_EQ(fake.CountCalls("SetRenderState(19,5)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(20,6)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(137,1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(143,1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(7,1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(7,0)"), 1u);
    // The stores start at zero: a first zero after the forced frame is not sent.
    subsystem.SetAlphaBlend(0);
    EXPECT_EQ(fake.CountCalls("SetRenderState(27,"), 0u);
}

TEST_F(Direct3DSubsystemCacheTest, StageSettersCacheEachStageApart)
{
    subsystem.Refresh();
    subsystem.Refresh();
    subsystem.SetTextureMagFilter(0, D3DTEXF_LINEAR);
    subsystem.SetTextureMagFilter(0, D3DTEXF_LINEAR);
    subsystem.SetTextureMagFilter(1, D3DTEXF_LINEAR);
    subsystem.SetTextureMinFilter(0, D3DTEXF_POINT);
    subsystem.SetTextureMipFilter(2, D3DTEXF_LINEAR);
    subsystem.SetTextureAdressU(3, D3DTADDRESS_WRAP);
    subsystem.SetTextureAdressU(3, D3DTADDRESS_WRAP);
    subsystem.SetTextureAdressV(3, D3DTADDRESS_CLAMP);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(0,16,2)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(1,16,2)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(0,17,1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(2,18,2)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(3,13,1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(3,14,3)"), 1u);
}

TEST_F(Direct3DSubsystemCacheTest, TexturesAreComparedByObject)
{
    IDirect3DTexture8* first = nullptr;
    IDirect3DTexture8* second = nullptr;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first), D3D_OK);
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second), D3D_OK);
    subsystem.Refresh();
    subsystem.Refresh();
    subsystem.SetTexture(0, first);
    subsystem.SetTexture(0, first);
    subsystem.SetTexture(0, second);
    subsystem.SetTexture(1, nullptr);
    EXPECT_EQ(fake.CountCalls("SetTexture(0,#1)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTexture(0,#2)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetTexture(1,"), 0u);
    subsystem.SetTexture(0, nullptr);
    first->Release();
    second->Release();
}

TEST_F(Direct3DSubsystemCacheTest, TextureMatrixIgnoresDifferencesWithinTolerance)
{
    subsystem.Refresh();
    subsystem.Refresh();
    subsystem.SetTextureMatrix(1, 2.0f, 3.0f, 0.25f, 0.5f);
    subsystem.SetTextureMatrix(1, 2.000005f, 3.0f, 0.25f, 0.500005f);
    EXPECT_EQ(fake.CountCalls("SetTransform(17)"), 1u);
    D3DMATRIX const& sent = Device()->transforms[D3DTS_TEXTURE0 + 1];
    float const expected[4][4] = {{2, 0, 0, 0}, {0, 3, 0, 0}, {0.25f, 0.5f, 1, 0}, {0, 0, 0, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(sent.m[r][c], expected[r][c]) << r << "," << c;
        }
    }
    subsystem.SetTextureMatrix(1, 2.0f, 3.0f, 0.25f, 0.51f);
    EXPECT_EQ(fake.CountCalls("SetTransform(17)"), 2u);
}

TEST_F(Direct3DSubsystemCacheTest, DeviceResetForcesStatesForOneFrame)
{
    subsystem.Refresh();
    subsystem.Refresh();
    subsystem.SetLighting(1);
    Device()->cooperativeLevelResults = {D3DERR_DEVICENOTRESET, D3D_OK};
    subsystem.Refresh();
    EXPECT_EQ(fake.CountCalls("Reset("), 1u);
    EXPECT_TRUE(subsystem.WasDeviceLost());
    EXPECT_FALSE(subsystem.IsDeviceLost());
    subsystem.SetLighting(1);
    subsystem.SetLighting(1);
    EXPECT_EQ(fake.CountCalls("SetRenderState(137,1)"), 3u);

    subsystem.Refresh();
    EXPECT_FALSE(subsystem.WasDeviceLost());
    subsystem.SetLighting(1);
    EXPECT_EQ(fake.CountCalls("SetRenderState(137,1)"), 3u);
}

TEST_F(Direct3DSubsystemCacheTest, LostDeviceWaitsWithoutReset)
{
    subsystem.Refresh();
    Device()->cooperativeLevelResults = {D3DERR_DEVICELOST};
    subsystem.Refresh();
    EXPECT_TRUE(subsystem.IsDeviceLost());
    EXPECT_FALSE(subsystem.WasDeviceLost());
    EXPECT_EQ(fake.CountCalls("Reset("), 0u);
    subsystem.Refresh();
    EXPECT_FALSE(subsystem.IsDeviceLost());
}

TEST_F(Direct3DSubsystemCacheTest, ResetOfAWindowedDeviceTakesTheCurrentDesktopFormat)
{
    subsystem.Refresh();
    fake.adapters[0].desktopMode.Format = D3DFMT_R5G6B5;
    Device()->cooperativeLevelResults = {D3DERR_DEVICENOTRESET, D3D_OK};
    subsystem.Refresh();
    EXPECT_EQ(fake.CountCalls("Reset(800,600,23,1)"), 1u);
}

TEST_F(Direct3DSubsystemCacheTest, FailedResetIsFatal)
{
    Device()->cooperativeLevelResults = {D3DERR_DEVICENOTRESET};
    Device()->failures["Reset"] = D3DERR_INVALIDCALL;
    try {
        subsystem.Refresh();
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Direct3D Subsystem (Direct3DSubsystem::Refresh): D3DERR_INVALIDCALL");
    }
}

TEST_F(Direct3DSubsystemCacheTest, MaterialIsSentOnlyWhileStatesAreForced)
{
    D3DMATERIAL8 ignored = {};
    ignored.Diffuse = {1, 0, 0, 1};
    subsystem.Refresh();
    subsystem.SetMatrial(&ignored);
    EXPECT_FLOAT_EQ(Device()->material.Diffuse.r, 0.6f);
    EXPECT_FLOAT_EQ(Device()->material.Emissive.a, 1.0f);
    subsystem.Refresh();
    subsystem.SetMatrial(&ignored);
    EXPECT_EQ(fake.CountCalls("SetMaterial()"), 1u);
}

TEST_F(Direct3DSubsystemCacheTest, SetterFailureIsFatalWithItsLabel)
{
    subsystem.Refresh();
    Device()->failures["SetRenderState"] = D3DERR_INVALIDCALL;
    try {
        subsystem.SetZEnable(1);
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(),
                     "Direct3D Subsystem (Direct3DSubsystem::SetZEnable): D3DERR_INVALIDCALL");
    }
}

TEST_F(Direct3DSubsystemCacheTest, CheckNamesTheErrorCode)
{
    subsystem.Check("Test::Operation", D3D_OK);
    subsystem.Check("Test::Operation", 1);
    try {
        subsystem.Check("Test::Operation", D3DERR_DEVICELOST);
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Direct3D Subsystem (Test::Operation): D3DERR_DEVICELOST");
    }
}

TEST_F(Direct3DSubsystemCacheTest, StageBeyondTheUnitsIsSentUncached)
{
    subsystem.Refresh();
    subsystem.Refresh();
    subsystem.SetTextureMagFilter(6, D3DTEXF_LINEAR);
    subsystem.SetTextureMagFilter(6, D3DTEXF_LINEAR);
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(6,16,2)"), 2u);
}

// --- video mode change ------------------------------------------------------------------------

TEST_F(Direct3DSubsystemCacheTest, ChangeVideoModeResetsTheDeviceAndForcesStates)
{
    subsystem.Refresh();
    subsystem.Refresh();
    SetMode("1024x768x32");
    config.SetCommandExecution("change_video_mode", false);
    subsystem.Refresh();
    EXPECT_TRUE(config.IsCommandExecuted("change_video_mode"));
    EXPECT_EQ(fake.CountCalls("Reset(1024,768,22,1)"), 1u);
    EXPECT_TRUE(subsystem.WasDeviceLost());
    EXPECT_TRUE(subsystem.IsForceStates());
    EXPECT_EQ(subsystem.GetPresentParameters().BackBufferWidth, 1024u);
    EXPECT_EQ(subsystem.GetPresentParameters().BackBufferHeight, 768u);

    subsystem.Refresh();
    EXPECT_FALSE(subsystem.WasDeviceLost());
    EXPECT_EQ(fake.CountCalls("Reset("), 1u);
}

TEST_F(Direct3DSubsystemCacheTest, ChangeToFullScreen)
{
    SetMode("800x600x16");
    settings->v_fullscreen = true;
    config.SetCommandExecution("change_video_mode", false);
    subsystem.Refresh();
    EXPECT_EQ(fake.CountCalls("Reset(800,600,23,0)"), 1u);
}

TEST_F(Direct3DSubsystemCacheTest, FailedVideoModeChangeIsFatal)
{
    Device()->failures["Reset"] = D3DERR_INVALIDCALL;
    config.SetCommandExecution("change_video_mode", false);
    try {
        subsystem.Refresh();
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Direct3DSubsystem: Failed to change video mode");
    }
}
} // namespace

namespace
{
// The whole path on the OpenGL device: selection, creation on the engine window, a frame.
TEST(Direct3DSubsystemOnOpenGL, CreatesTheDeviceAndPresentsAFrame)
{
    CMessageManager messages;
    messages.Create("test", false, nullptr);
    CMemoryManager memory;
    memory.Create(&messages);
    CConfig config;
    config.Create(&messages, &memory, nullptr, nullptr, "test", "640x480x32");
    SMainSettings* settings = config.GetMainSettings();
    std::snprintf(settings->v_mode, sizeof settings->v_mode, "640x480x32");
    settings->v_fullscreen = false;
    CWindow window;
    window.Create(&messages, &memory, &config, nullptr, "Direct3D subsystem on OpenGL", nullptr, 0, 640, 480,
                  false);
    CDirect3DSubsystem subsystem;
    subsystem.Create(&messages, &memory, &config, &window);
    ASSERT_NE(subsystem.GetDevice(), nullptr);
    EXPECT_GE(subsystem.GetMaxTextureUnits(), 2u);
    EXPECT_GE(subsystem.GetMaxTextureWidth(), 2048u);
    EXPECT_TRUE(subsystem.GetPresentParameters().Windowed);
    EXPECT_EQ(subsystem.GetPresentParameters().BackBufferWidth, 640u);

    subsystem.Refresh();
    EXPECT_FALSE(subsystem.IsDeviceLost());
    subsystem.SetZEnable(1);
    subsystem.SetCullMode(D3DCULL_CCW);
    IDirect3DDevice8* device = subsystem.GetDevice();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF20A040, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    std::vector<std::uint32_t> frame(640 * 480);
    ASSERT_EQ(device->GetFrontBuffer(frame.data(), 640 * 4), D3D_OK);
    EXPECT_EQ(frame[240 * 640 + 320] & 0xFFFFFF, 0x20A040u);

    subsystem.Destroy();
    window.Destroy();
}
} // namespace
