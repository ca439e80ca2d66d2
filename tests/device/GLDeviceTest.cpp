#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/gl/Direct3D8.h"
#include "platform/window/NativeWindow.h"

// Renders through the OpenGL device into a real window and checks the pixels it shows.
namespace
{
constexpr UINT Size = 64;
constexpr DWORD EngineFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex
{
    float x, y, z;
    float nx, ny, nz;
    std::uint32_t color;
    float u, v;
};
static_assert(sizeof(Vertex) == 36);

struct Pixel
{
    int r, g, b;
};

// A quad in clip space (identity transforms), vertices top-left, top-right, bottom-right,
// bottom-left; uv (0,0) at the top left.
std::array<Vertex, 4> Quad(float left, float top, float right, float bottom, float z, std::uint32_t color,
                           float normalZ = -1.0f)
{
    return {{{left, top, z, 0, 0, normalZ, color, 0, 0},
             {right, top, z, 0, 0, normalZ, color, 1, 0},
             {right, bottom, z, 0, 0, normalZ, color, 1, 1},
             {left, bottom, z, 0, 0, normalZ, color, 0, 1}}};
}

long MinorPageFaults()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

D3DMATRIX Identity()
{
    D3DMATRIX matrix = {};
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
    return matrix;
}

class GLDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = platform::CreateNativeWindow("device test", platform::NativeWindowStyle::Windowed, 0, 0,
                                              Size, Size, samples);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        platform::ShowNativeWindow(window);
        runtime = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(runtime, nullptr);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = Size;
        parameters.BackBufferHeight = Size;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.hDeviceWindow = window;
        parameters.Windowed = true;
        parameters.EnableAutoDepthStencil = true;
        parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
        ASSERT_EQ(runtime->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                        &parameters, &device),
                  D3D_OK);
        D3DMATRIX identity = Identity();
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &identity);
        // The stage set-up the shaders use: texture times diffuse, for colour and alpha.
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetRenderState(D3DRS_LIGHTING, 0);
        ASSERT_EQ(device->SetVertexShader(EngineFvf), D3D_OK);
    }

    void TearDown() override
    {
        for (IDirect3DTexture8* texture : textures) {
            texture->Release();
        }
        if (device) {
            device->SetTexture(0, nullptr);
            device->Release();
        }
        if (runtime) {
            runtime->Release();
        }
        if (window) {
            platform::DestroyNativeWindow(window);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // A texture whose level-0 texels (B, G, R, A from the top row) are given as 0xAARRGGBB.
    IDirect3DTexture8* MakeTexture(UINT width, UINT height, std::vector<std::uint32_t> const& texels,
                                   UINT levels = 1)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                  D3D_OK);
        if (!texture) {
            return nullptr;
        }
        textures.push_back(texture);
        FillLevel(texture, 0, texels);
        return texture;
    }

    void FillLevel(IDirect3DTexture8* texture, UINT level, std::vector<std::uint32_t> const& texels)
    {
        D3DSURFACE_DESC description;
        ASSERT_EQ(texture->GetLevelDesc(level, &description), D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < description.Height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(locked.pBits) +
                                                         y * locked.Pitch);
            for (UINT x = 0; x < description.Width; ++x) {
                row[x] = texels.size() == 1 ? texels[0] : texels[y * description.Width + x];
            }
        }
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }

    void Draw(std::array<Vertex, 4> const& quad, bool clockwise = true)
    {
        static constexpr std::uint16_t front[6] = {0, 1, 2, 0, 2, 3};
        static constexpr std::uint16_t back[6] = {0, 2, 1, 0, 3, 2};
        ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, clockwise ? front : back,
                                                 D3DFMT_INDEX16, quad.data(), sizeof(Vertex)),
                  D3D_OK);
    }

    void BeginFrame(D3DCOLOR clearColor = 0xFF000000)
    {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    void EndFrame()
    {
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        frame.assign(Size * Size, 0);
        ASSERT_EQ(device->GetFrontBuffer(frame.data(), Size * 4), D3D_OK);
    }

    // Draws a white triangle on black whose long edge crosses the frame at a slant and counts the
    // pixels that are neither black nor white.
    int CountGreyPixelsAlongASlantedEdge()
    {
        device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        std::array<Vertex, 3> const triangle = {{{-1.0f, 1.0f, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                                                 {0.9f, 1.0f, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                                                 {-1.0f, -0.7f, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0}}};
        BeginFrame();
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle.data(), sizeof(Vertex)), D3D_OK);
        EndFrame();
        int grey = 0;
        for (int y = 0; y < int(Size); ++y) {
            for (int x = 0; x < int(Size); ++x) {
                int const red = At(x, y).r;
                grey += red > 0 && red < 255 ? 1 : 0;
            }
        }
        return grey;
    }

    // Pixel (x, y) of the shown frame, y from the top.
    Pixel At(int x, int y) const
    {
        std::uint32_t value = frame[std::size_t(y) * Size + x];
        return {int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF)};
    }

    // Samples per pixel the window asks for.
    unsigned int samples = 0;
    HWND window = nullptr;
    IDirect3D8* runtime = nullptr;
    IDirect3DDevice8* device = nullptr;
    std::vector<IDirect3DTexture8*> textures;
    std::vector<std::uint32_t> frame;
};

// The same device on a window multisampled with four samples per pixel.
class MultisampledGLDeviceTest : public GLDeviceTest
{
protected:
    static constexpr unsigned int Samples = 4;

    MultisampledGLDeviceTest() { samples = Samples; }
};

#define EXPECT_PIXEL(x, y, red, green, blue)                                                                 \
    do {                                                                                                     \
        Pixel p = At(x, y);                                                                                  \
        EXPECT_NEAR(p.r, red, 3) << "red at " << (x) << "," << (y);                                          \
        EXPECT_NEAR(p.g, green, 3) << "green at " << (x) << "," << (y);                                      \
        EXPECT_NEAR(p.b, blue, 3) << "blue at " << (x) << "," << (y);                                        \
    } while (false)

TEST_F(GLDeviceTest, RuntimeListsTheDisplayWithWindowSizedModes)
{
    ASSERT_GE(runtime->GetAdapterCount(), 1u);
    D3DDISPLAYMODE desktop;
    ASSERT_EQ(runtime->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_GE(desktop.Width, 640u);
    bool has640x480x16 = false;
    for (UINT i = 0; i < runtime->GetAdapterModeCount(0); ++i) {
        D3DDISPLAYMODE mode;
        ASSERT_EQ(runtime->EnumAdapterModes(0, i, &mode), D3D_OK);
        has640x480x16 =
            has640x480x16 || (mode.Width == 640 && mode.Height == 480 && mode.Format == D3DFMT_R5G6B5);
    }
    EXPECT_TRUE(has640x480x16);
    EXPECT_EQ(runtime->CheckDeviceType(0, D3DDEVTYPE_HAL, desktop.Format, desktop.Format, false), D3D_OK);
    EXPECT_EQ(runtime->CheckDeviceType(0, D3DDEVTYPE_REF, desktop.Format, desktop.Format, false),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(runtime->CheckDeviceFormat(0, D3DDEVTYPE_HAL, desktop.Format, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, D3DFMT_D16),
              D3D_OK);
    D3DCAPS8 caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_TRUE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
    EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GE(caps.MaxAnisotropy, 1u);
}

TEST_F(GLDeviceTest, TextureRowsAndColumnsLandWhereTheirCoordinatesSay)
{
    IDirect3DTexture8* pattern = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    device->SetTexture(0, pattern);
    BeginFrame();
    Draw(Quad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(16, 16, 255, 0, 0);
    EXPECT_PIXEL(48, 16, 0, 255, 0);
    EXPECT_PIXEL(16, 48, 0, 0, 255);
    EXPECT_PIXEL(48, 48, 255, 255, 255);
}

TEST_F(GLDeviceTest, LitTexturedBlendedQuadsWithDepthAndCulling)
{
    IDirect3DTexture8* white = MakeTexture(1, 1, {0xFFFFFFFF});
    IDirect3DTexture8* yellow = MakeTexture(1, 1, {0xFFFFFF00});
    BeginFrame();

    // Top band: depth and blending. Red at depth 0.5, then blue behind it at 0.8, then a
    // half-transparent green in front at 0.2 over the right half.
    device->SetTexture(0, white);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Draw(Quad(-1, 1, 0.5f, 0.5f, 0.5f, 0xFFFF0000));
    Draw(Quad(-1, 1, 1, 0.5f, 0.8f, 0xFF0000FF));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Draw(Quad(0, 1, 1, 0.5f, 0.2f, 0x8000FF00));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);

    // Second band: a directional light shining into the screen lights the face turned
    // towards the viewer and leaves the one turned away black; the texture modulates.
    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    light.Range = 1000.0f;
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, true), D3D_OK);
    D3DMATERIAL8 material = {};
    material.Diffuse = {1, 1, 1, 1};
    ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, 1);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->SetTexture(0, yellow);
    Draw(Quad(-1, 0.5f, 0, 0, 0.5f, 0xFFFFFFFF, -1.0f));
    Draw(Quad(0, 0.5f, 1, 0, 0.5f, 0xFFFFFFFF, 1.0f));
    device->SetRenderState(D3DRS_LIGHTING, 0);

    // Third band: a strip with 32-bit indices, clockwise on the left (drawn) and
    // counter-clockwise on the right (culled).
    device->SetTexture(0, white);
    auto left = Quad(-1, 0, 0, -0.5f, 0.5f, 0xFFFF00FF);
    auto right = Quad(0, 0, 1, -0.5f, 0.5f, 0xFFFF00FF);
    std::uint32_t const clockwise[4] = {0, 1, 3, 2};
    std::uint32_t const counterClockwise[4] = {0, 3, 1, 2};
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, 4, 2, clockwise, D3DFMT_INDEX32,
                                             left.data(), sizeof(Vertex)),
              D3D_OK);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, 4, 2, counterClockwise, D3DFMT_INDEX32,
                                             right.data(), sizeof(Vertex)),
              D3D_OK);

    // Bottom band: clip-space depth runs from 0 to 1, so z = -0.5 is clipped and 0.99 is not.
    Draw(Quad(-1, -0.5f, 0, -1, -0.5f, 0xFF00FFFF));
    Draw(Quad(0, -0.5f, 1, -1, 0.99f, 0xFF00FFFF));
    EndFrame();

    EXPECT_PIXEL(16, 8, 255, 0, 0);    // red in front of blue
    EXPECT_PIXEL(40, 8, 128, 128, 0);  // green over red
    EXPECT_PIXEL(56, 8, 0, 128, 128);  // green over blue
    EXPECT_PIXEL(16, 24, 255, 255, 0); // lit yellow
    EXPECT_PIXEL(48, 24, 0, 0, 0);     // turned away
    EXPECT_PIXEL(16, 40, 255, 0, 255); // front face
    EXPECT_PIXEL(48, 40, 0, 0, 0);     // back face culled
    EXPECT_PIXEL(16, 56, 0, 0, 0);     // in front of the near plane
    EXPECT_PIXEL(48, 56, 0, 255, 255); // just before the far plane
}

TEST_F(GLDeviceTest, CullModesFollowTheDeviceWinding)
{
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    BeginFrame();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Draw(Quad(-1, 1, 0, 0, 0.5f, 0xFFFF0000), true);
    Draw(Quad(0, 1, 1, 0, 0.5f, 0xFFFF0000), false);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Draw(Quad(-1, 0, 0, -1, 0.5f, 0xFF00FF00), true);
    Draw(Quad(0, 0, 1, -1, 0.5f, 0xFF00FF00), false);
    EndFrame();
    EXPECT_PIXEL(16, 16, 0, 0, 0);
    EXPECT_PIXEL(48, 16, 255, 0, 0);
    EXPECT_PIXEL(16, 48, 0, 255, 0);
    EXPECT_PIXEL(48, 48, 0, 255, 0);
}

TEST_F(GLDeviceTest, MipFilterPicksTheSmallerLevel)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(256, 256, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    textures.push_back(texture);
    ASSERT_EQ(texture->GetLevelCount(), 9u);
    FillLevel(texture, 0, {0xFFFF0000});
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
        FillLevel(texture, level, {0xFF00FF00});
    }
    device->SetTexture(0, texture);
    BeginFrame();
    // 256 texels over 32 pixels: level 3 is the one that fits.
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    Draw(Quad(-1, 1, 0, -1, 0.5f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(16, 32, 255, 0, 0);

    BeginFrame();
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    Draw(Quad(-1, 1, 0, -1, 0.5f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(16, 32, 0, 255, 0);
}

TEST_F(GLDeviceTest, TextureMatrixScalesAndOffsetsCoordinates)
{
    device->SetTexture(0, MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    // u' = 0.5 u + 0.5 and v' = 0.5 v: only the top-right texel (green) shows.
    D3DMATRIX matrix = Identity();
    matrix._11 = 0.5f;
    matrix._22 = 0.5f;
    matrix._31 = 0.5f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    BeginFrame();
    Draw(Quad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(8, 8, 0, 255, 0);
    EXPECT_PIXEL(56, 8, 0, 255, 0);
    EXPECT_PIXEL(8, 56, 0, 255, 0);
}

TEST_F(GLDeviceTest, CameraSpacePositionsMakeCoordinatesThroughTheWholeMatrix)
{
    device->SetTexture(0, MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    // A quad twice the screen's size, halved by the world matrix: camera space spans the screen,
    // the vertices' own positions twice that, and their coordinates would all read one texel.
    D3DMATRIX world = Identity();
    world._11 = world._22 = 0.5f;
    device->SetTransform(D3DTS_WORLD, &world);
    std::array<Vertex, 4> quad = Quad(-2, 2, 2, -2, 0.5f, 0xFFFFFFFF);
    for (Vertex& vertex : quad) {
        vertex.u = vertex.v = 0.9f;
    }
    // u = x / 2 + 1/2, v = 1/2 - y / 2: the texture spans the screen once.
    D3DMATRIX matrix = {};
    matrix._11 = 0.5f;
    matrix._22 = -0.5f;
    matrix._41 = 0.5f;
    matrix._42 = 0.5f;
    matrix._44 = 1.0f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    BeginFrame();
    Draw(quad);
    EndFrame();
    EXPECT_PIXEL(16, 16, 255, 0, 0);
    EXPECT_PIXEL(48, 16, 0, 255, 0);
    EXPECT_PIXEL(16, 48, 0, 0, 255);
    EXPECT_PIXEL(48, 48, 255, 255, 255);

    // Back to the vertices' coordinates: the bottom-right texel everywhere.
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    BeginFrame();
    Draw(quad);
    EndFrame();
    EXPECT_PIXEL(16, 16, 255, 255, 255);
}

TEST_F(GLDeviceTest, OnTheSoftwareRasteriserALinearMipFilterSamplesTheNearerLevelAlone)
{
    // Level 1 blue, level 2 green; texels 2.46 times smaller than pixels put the level of
    // detail at 1.3: blending the two would give a blue-green, the nearer level pure blue.
    IDirect3DTexture8* texture = MakeTexture(128, 128, {0xFFFF0000}, 3);
    FillLevel(texture, 1, {0xFF0000FF});
    FillLevel(texture, 2, {0xFF00FF00});
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    D3DMATRIX matrix = Identity();
    matrix._11 = 1.23f;
    matrix._22 = 1.23f;
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    BeginFrame();
    Draw(Quad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(32, 32, 0, 0, 255);
}

TEST_F(GLDeviceTest, ProjectionMatricesAreUsedAsSent)
{
    // A left-handed perspective with near 1 and far 100 (row vectors, z in 0..1): a quad
    // at depth 2 spanning x in [-2, 0] and y in [0, 2] fills the top-left quarter.
    D3DMATRIX projection = {};
    float const near = 1.0f;
    float const far = 100.0f;
    projection._11 = 1.0f;
    projection._22 = 1.0f;
    projection._33 = far / (far - near);
    projection._34 = 1.0f;
    projection._43 = near * far / (near - far);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    // The world moves it 1 right and up, the view moves it back; rows carry the translation.
    D3DMATRIX world = Identity();
    world._41 = 1.0f;
    world._42 = 1.0f;
    D3DMATRIX view = Identity();
    view._41 = -1.0f;
    view._42 = -1.0f;
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    BeginFrame();
    Draw(Quad(-2, 2, 0, 0, 2.0f, 0xFFFFFFFF));
    EndFrame();
    EXPECT_PIXEL(8, 8, 255, 255, 255);
    EXPECT_PIXEL(30, 30, 255, 255, 255);
    EXPECT_PIXEL(34, 30, 0, 0, 0);
    EXPECT_PIXEL(30, 34, 0, 0, 0);
}

TEST_F(GLDeviceTest, PixelCentresSitOnIntegerCoordinates)
{
    // Stripes one texel wide, drawn over pixel coordinates -0.5 .. 63.5 (y down): every
    // pixel takes exactly its own texel.
    std::vector<std::uint32_t> stripes(Size);
    for (UINT i = 0; i < Size; ++i) {
        stripes[i] = i % 2 == 0 ? 0xFFFFFFFF : 0xFF000000;
    }
    device->SetTexture(0, MakeTexture(Size, 1, stripes));
    D3DMATRIX projection = Identity();
    projection._11 = 2.0f / Size;
    projection._22 = -2.0f / Size;
    projection._41 = -1.0f;
    projection._42 = 1.0f;
    device->SetTransform(D3DTS_PROJECTION, &projection);
    BeginFrame(0xFF808080);
    Draw(Quad(-0.5f, -0.5f, Size - 0.5f, Size - 0.5f, 0.5f, 0xFFFFFFFF, -1.0f));
    EndFrame();
    for (int x = 0; x < int(Size); ++x) {
        int expected = x % 2 == 0 ? 255 : 0;
        ASSERT_EQ(At(x, 10).r, expected) << "column " << x;
        ASSERT_EQ(At(x, 53).g, expected) << "column " << x;
    }
}

TEST_F(GLDeviceTest, SpotLightIsPlacedInWorldSpace)
{
    // A finely divided quad over the screen: lighting is computed per vertex.
    constexpr int Cells = 32;
    std::vector<Vertex> grid;
    for (int row = 0; row <= Cells; ++row) {
        for (int column = 0; column <= Cells; ++column) {
            float x = -1.0f + 2.0f * column / Cells;
            float y = 1.0f - 2.0f * row / Cells;
            grid.push_back({x, y, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0});
        }
    }
    std::vector<std::uint16_t> indices;
    for (int row = 0; row < Cells; ++row) {
        for (int column = 0; column < Cells; ++column) {
            std::uint16_t topLeft = std::uint16_t(row * (Cells + 1) + column);
            std::uint16_t bottomLeft = std::uint16_t(topLeft + Cells + 1);
            for (std::uint16_t index : {topLeft, std::uint16_t(topLeft + 1), std::uint16_t(bottomLeft + 1),
                                        topLeft, std::uint16_t(bottomLeft + 1), bottomLeft}) {
                indices.push_back(index);
            }
        }
    }
    // The world moves the grid to x in [-2, 0], the view brings it back in front of the eye.
    D3DMATRIX world = Identity();
    world._41 = -1.0f;
    D3DMATRIX view = Identity();
    view._41 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    // At world (-1, 0, 0), the eye in view space, pointing into the screen with a narrow cone.
    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_SPOT;
    light.Diffuse = {1, 1, 1, 1};
    light.Position = {-1, 0, 0};
    light.Direction = {0, 0, 1};
    light.Range = 1000.0f;
    light.Attenuation0 = 1.0f;
    light.Falloff = 1.0f;
    light.Theta = light.Phi = 0.8f;
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, true), D3D_OK);
    D3DMATERIAL8 material = {};
    material.Diffuse = {1, 1, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_LIGHTING, 1);
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    BeginFrame();
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, UINT(grid.size()),
                                             UINT(indices.size() / 3), indices.data(), D3DFMT_INDEX16,
                                             grid.data(), sizeof(Vertex)),
              D3D_OK);
    EndFrame();
    // The cone's half angle is 0.4 rad: at depth 0.5 it reaches about 0.21 from the centre.
    EXPECT_GT(At(32, 32).r, 200);
    EXPECT_LT(At(4, 32).r, 10);
    EXPECT_LT(At(60, 32).r, 10);
    EXPECT_LT(At(32, 4).r, 10);
}

TEST_F(GLDeviceTest, ClearRectanglesAndInvalidCalls)
{
    D3DRECT rect = {0, 0, 32, 32};
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EndFrame();
    EXPECT_PIXEL(8, 8, 255, 0, 0);
    EXPECT_PIXEL(40, 8, 0, 0, 255);
    EXPECT_PIXEL(8, 40, 0, 0, 255);

    auto quad = Quad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
    std::uint16_t const indices[3] = {0, 1, 2};
    // Outside a scene, with a wrong index format or too small a stride, nothing is drawn.
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, indices, D3DFMT_INDEX16,
                                             quad.data(), sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, indices, D3DFMT_X8R8G8B8,
                                             quad.data(), sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, indices, D3DFMT_INDEX16, quad.data(), 20),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(1 << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
}

TEST_F(GLDeviceTest, LockedRectanglesStayInsideTheLevel)
{
    IDirect3DTexture8* texture = MakeTexture(4, 4, {0xFFFFFFFF});
    D3DLOCKED_RECT locked;
    RECT outside = {2, 2, 5, 4};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    RECT inside = {1, 2, 3, 4};
    ASSERT_EQ(texture->LockRect(0, &locked, &inside, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
}

TEST_F(GLDeviceTest, ALockAfterAnUnlockReadsTheTexelsTheDriverHolds)
{
    IDirect3DTexture8* texture = MakeTexture(
        4, 2,
        {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C});
    D3DLOCKED_RECT locked;
    RECT const corner = {3, 1, 4, 2};
    ASSERT_EQ(texture->LockRect(0, &locked, &corner, 0), D3D_OK);
    *static_cast<std::uint32_t*>(locked.pBits) = 0xFF00FF00;
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto const* texels = static_cast<std::uint32_t const*>(locked.pBits);
    EXPECT_EQ(texels[0], 0xFF102030u);
    EXPECT_EQ(texels[3], 0xFFA0B0C0u);
    EXPECT_EQ(texels[7], 0xFF00FF00u);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
}

TEST(Direct3DErrorNames, KnownAndUnknownCodes)
{
    EXPECT_STREQ(GetDirect3DErrorName(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
    EXPECT_STREQ(GetDirect3DErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
    EXPECT_STREQ(GetDirect3DErrorName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_STREQ(GetDirect3DErrorName(-12345), "Unknown");
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
}
} // namespace

// The software renderer re-allocates large vertex buffers on every draw; the device keeps
// the freed heap so that frames after the first do not fault fresh pages in.
TEST_F(GLDeviceTest, SteadyFramesDoNotFaultFreshPages)
{
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    constexpr int Columns = 256;
    constexpr int Rows = 128;
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    for (int y = 0; y <= Rows; ++y) {
        for (int x = 0; x <= Columns; ++x) {
            vertices.push_back({2.0f * x / Columns - 1, 2.0f * y / Rows - 1, 0.5f, 0, 0, -1, 0xFF808080,
                                float(x) / Columns, float(y) / Rows});
        }
    }
    for (int y = 0; y < Rows; ++y) {
        for (int x = 0; x < Columns; ++x) {
            std::uint32_t const corner = std::uint32_t(y * (Columns + 1) + x);
            indices.insert(indices.end(), {corner, corner + 1, corner + Columns + 2, corner,
                                           corner + Columns + 2, corner + Columns + 1});
        }
    }
    auto drawFrames = [&](int count) {
        for (int i = 0; i < count; ++i) {
            BeginFrame();
            for (int draw = 0; draw < 8; ++draw) {
                ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, UINT(vertices.size()),
                                                         UINT(indices.size() / 3), indices.data(),
                                                         D3DFMT_INDEX32, vertices.data(), sizeof(Vertex)),
                          D3D_OK);
            }
            EndFrame();
        }
    };
    drawFrames(10);
    // The quietest of a few short batches: other processes on a loaded machine can make the
    // driver's threads take fresh memory now and then, but not in every batch.
    constexpr int Batches = 4;
    constexpr int FramesPerBatch = 5;
    long perFrame = std::numeric_limits<long>::max();
    for (int batch = 0; batch < Batches; ++batch) {
        long const before = MinorPageFaults();
        drawFrames(FramesPerBatch);
        perFrame = std::min(perFrame, (MinorPageFaults() - before) / FramesPerBatch);
    }
    // One frame's vertex data alone is about 300 pages.
    EXPECT_LT(perFrame, 30) << perFrame << " pages faulted in per frame";
    EXPECT_PIXEL(32, 32, 128, 128, 128);
}

TEST_F(GLDeviceTest, DrawsFromDeviceBuffersAndSeesTheirUpdates)
{
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(Vertex), D3DUSAGE_WRITEONLY, EngineFvf, D3DPOOL_MANAGED,
                                         &vertices),
              D3D_OK);
    ASSERT_EQ(
        device->CreateIndexBuffer(12 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices),
        D3D_OK);
    auto fill = [&](std::uint32_t leftColor, std::uint32_t rightColor) {
        BYTE* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        auto left = Quad(-1, 1, 0, -1, 0.5f, leftColor);
        auto right = Quad(0, 1, 1, -1, 0.5f, rightColor);
        std::memcpy(data, left.data(), sizeof(left));
        std::memcpy(data + sizeof(left), right.data(), sizeof(right));
        ASSERT_EQ(vertices->Unlock(), D3D_OK);
    };
    fill(0xFFFF0000, 0xFF00FF00);
    BYTE* data = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    std::uint16_t const quadIndices[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    std::memcpy(data, quadIndices, sizeof(quadIndices));
    ASSERT_EQ(indices->Unlock(), D3D_OK);

    ASSERT_EQ(device->SetStreamSource(0, vertices, sizeof(Vertex)), D3D_OK);
    ASSERT_EQ(device->SetIndices(indices, 0), D3D_OK);
    BeginFrame();
    // The right quad alone: indices 6..11 over vertices 4..7.
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 4, 6, 2), D3D_OK);
    EndFrame();
    EXPECT_PIXEL(16, 32, 0, 0, 0);
    EXPECT_PIXEL(48, 32, 0, 255, 0);

    // New contents show in the next frame; a draw from user memory still works in between.
    fill(0xFF0000FF, 0xFFFFFF00);
    BeginFrame();
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 8, 0, 4), D3D_OK);
    auto corner = Quad(-1, 1, -0.5f, 0.5f, 0.2f, 0xFFFFFFFF);
    Draw(corner);
    EndFrame();
    EXPECT_PIXEL(4, 4, 255, 255, 255);
    EXPECT_PIXEL(16, 32, 0, 0, 255);
    EXPECT_PIXEL(48, 32, 255, 255, 0);

    // Ranges past either buffer and locked buffers are refused.
    BeginFrame();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 8, 6, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 9, 0, 4), D3DERR_INVALIDCALL);
    ASSERT_EQ(vertices->Lock(0, sizeof(Vertex), &data, 0), D3D_OK);
    EXPECT_EQ(vertices->Lock(0, sizeof(Vertex), &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 8, 0, 4), D3DERR_INVALIDCALL);
    ASSERT_EQ(vertices->Unlock(), D3D_OK);
    EXPECT_EQ(vertices->Lock(0, 9 * sizeof(Vertex), &data, 0), D3DERR_INVALIDCALL);
    EndFrame();

    // The device holds its own references until the sources change.
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
}

TEST_F(GLDeviceTest, WithoutKeepingEveryFrameOnlyAnnouncedFramesAreKept)
{
    device->SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}));
    auto showFrame = [&](std::uint32_t color) {
        BeginFrame();
        Draw(Quad(-1, 1, 1, -1, 0.5f, color));
        EndFrame();
    };
    showFrame(0xFFFF0000);
    EXPECT_PIXEL(32, 32, 255, 0, 0);
    ASSERT_EQ(device->SetFrameKeeping(false), D3D_OK);
    showFrame(0xFF00FF00);
    EXPECT_PIXEL(32, 32, 255, 0, 0);
    ASSERT_EQ(device->KeepNextFrame(), D3D_OK);
    showFrame(0xFF0000FF);
    EXPECT_PIXEL(32, 32, 0, 0, 255);
    showFrame(0xFFFFFFFF);
    EXPECT_PIXEL(32, 32, 0, 0, 255);
    ASSERT_EQ(device->SetFrameKeeping(true), D3D_OK);
    showFrame(0xFF00FF00);
    EXPECT_PIXEL(32, 32, 0, 255, 0);
}

TEST_F(GLDeviceTest, WithoutMultisamplingEdgesAreHard)
{
    EXPECT_EQ(CountGreyPixelsAlongASlantedEdge(), 0);
}

TEST_F(MultisampledGLDeviceTest, MultisampledEdgesAreSmoothedWithGreys)
{
    // The slanted edge crosses about 60 pixels of the frame; most of them are partly covered.
    constexpr int LeastGreyPixels = 30;
    EXPECT_EQ(platform::GetWindowSamples(window), Samples);
    EXPECT_GE(CountGreyPixelsAlongASlantedEdge(), LeastGreyPixels);
}

TEST_F(MultisampledGLDeviceTest, AskedToDrawSmallerItDrawsAtFullSizeAndStillSmoothsEdges)
{
    constexpr int LeastGreyPixels = 30;
    EXPECT_EQ(device->SetRenderScale(0.5f), D3DERR_NOTAVAILABLE);
    EXPECT_GE(CountGreyPixelsAlongASlantedEdge(), LeastGreyPixels);
}
