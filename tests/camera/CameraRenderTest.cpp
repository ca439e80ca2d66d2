#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "camera/RenderHost.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

// Draws triangle sets through a camera on the OpenGL device and reads the frame back.
namespace
{
constexpr unsigned int Width = 640;
constexpr unsigned int Height = 480;

class CameraRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SRenderHost::HasDisplay())
            GTEST_SKIP() << "no X display";
        host.Create(false, width, height);
        created = true;
        camera = host.cameras.GetCamera(host.cameras.AddCamera(CT_PERSPECTIVE));
        camera->SetPosition(CVector3(0.0f, -10.0f, 1.0f));
        camera->SetAngles(CVector3(1.5707964f, 0.0f, 0.0f));
        camera->SetFOV(60.0f);
    }

    // A square facing the camera (normal −y), centred on `centre`, in one colour.
    void AddSquare(CVector3 const& centre, float half, std::uint32_t color)
    {
        if (!vertices)
            vertices = std::make_unique<VertexBuffer>(&host.messages, &host.memory, &host.direct3D, 16);
        unsigned int const base = squares * 4;
        Vertex* v = vertices->Lock(base, 4);
        CVector3 const corners[4] = {
            {-half, 0.0f, -half}, {half, 0.0f, -half}, {half, 0.0f, half}, {-half, 0.0f, half}};
        for (int i = 0; i < 4; ++i) {
            v[i].position = centre + corners[i];
            v[i].normal.Set(0.0f, -1.0f, 0.0f);
            v[i].color = color;
            v[i].uv.Set(0.0f, 0.0f);
        }
        vertices->Unlock();

        CShaderDescriptor descriptor;
        host.shaders.CreateShaderDescriptor(&descriptor, 0u);
        auto set =
            std::make_unique<TriangleSet>(&host.messages, &host.memory, &host.direct3D, &host.shaders,
                                          TST_LIST, 6, vertices.get(), host.shaders.AddShader(descriptor));
        unsigned int const indices[6] = {base, base + 1, base + 2, base + 2, base + 3, base};
        set->GetIndexBuffer()->CopyIndices(0, 6, indices);
        sets.push_back(std::move(set));
        ++squares;
    }

    // Draws the squares once per view of the camera manager, as the model manager does.
    void Render()
    {
        host.direct3D.Refresh();
        host.cameras.Refresh();
        IDirect3DDevice8* device = host.direct3D.GetDevice();
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        D3DMATRIX world = {};
        for (int i = 0; i < 4; ++i)
            world.m[i][i] = 1.0f;
        device->SetTransform(D3DTS_WORLD, &world);
        host.lights.Enable(false);
        host.direct3D.SetCullMode(D3DCULL_NONE);
        host.direct3D.SetZEnable(1);
        vertices->Use();
        bool const views = !host.cameras.IsSingleView();
        for (unsigned int view = 0; view < (views ? host.cameras.GetViewsCount() : 1); ++view) {
            if (views)
                host.cameras.BeginView(view);
            host.cameras.ApplyCamera(camera, false);
            for (auto& set : sets)
                set->Draw();
        }
        host.cameras.EndViews();
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        D3DPRESENT_PARAMETERS const& present = host.direct3D.GetPresentParameters();
        ASSERT_EQ(present.BackBufferWidth, width);
        ASSERT_EQ(present.BackBufferHeight, height);
        frame.assign(std::size_t(width) * height, 0);
        ASSERT_EQ(device->GetFrontBuffer(frame.data(), width * 4), D3D_OK);
    }

    // The colour of a pixel, x from the left and y from the top.
    std::uint32_t Pixel(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= static_cast<int>(width) || y >= static_cast<int>(height) ||
            frame.size() != std::size_t(width) * height)
            return 0xDEADBEEF;
        return frame[std::size_t(y) * width + x] & 0x00FFFFFF;
    }

    // Width and height in pixels of the region of `color` around the pixel (x, y), measured
    // along its row and its column.
    std::pair<int, int> Extent(int x, int y, std::uint32_t color) const
    {
        auto run = [&](int dx, int dy) {
            int length = 0;
            while (Pixel(x + dx * (length + 1), y + dy * (length + 1)) == color)
                ++length;
            return length;
        };
        return {run(1, 0) + run(-1, 0) + 1, run(0, 1) + run(0, -1) + 1};
    }

    // The colour shown where the camera manager projects `point` (its y runs upwards).
    std::uint32_t At(CVector3 const& point, int dx = 0, int dy = 0)
    {
        CVector3 const screen = host.cameras.GetProjectedPoint(camera, point);
        int const x = static_cast<int>(screen.x) + dx;
        int const row = static_cast<int>(height) - 1 - static_cast<int>(screen.y) - dy;
        return Pixel(x, row);
    }

    SRenderHost host;
    unsigned int width = Width;
    unsigned int height = Height;
    bool created = false;
    CCamera* camera = nullptr;
    std::unique_ptr<VertexBuffer> vertices;
    std::vector<std::unique_ptr<TriangleSet>> sets;
    unsigned int squares = 0;
    std::vector<std::uint32_t> frame;
};

TEST_F(CameraRenderTest, SquaresAppearWhereTheCameraProjectsThem)
{
    CVector3 const left(-3.0f, 0.0f, 2.0f);
    CVector3 const right(2.5f, 0.0f, -1.5f);
    AddSquare(left, 0.3f, 0xFFFF0000);
    AddSquare(right, 0.3f, 0xFF00FF00);
    Render();

    EXPECT_EQ(At(left), 0xFF0000u);
    EXPECT_EQ(At(right), 0x00FF00u);
    // The squares are about 0.3 / 10 of the view high: a little further off is background.
    CVector3 const leftEdge = host.cameras.GetProjectedPoint(camera, left + CVector3(0.3f, 0.0f, 0.0f));
    CVector3 const leftCentre = host.cameras.GetProjectedPoint(camera, left);
    int const halfWidth = static_cast<int>(leftEdge.x - leftCentre.x);
    ASSERT_GT(halfWidth, 3);
    EXPECT_EQ(At(left, halfWidth - 2, 0), 0xFF0000u);
    EXPECT_EQ(At(left, halfWidth + 3, 0), 0x000000u);
    EXPECT_EQ(At(left, 0, halfWidth + 3), 0x000000u);
    EXPECT_EQ(At(CVector3(0.0f, 0.0f, 0.0f)), 0x000000u);

    // Turning the camera moves the picture the way the projection says.
    camera->Rotate(CVector3(0.0f, 0.0f, 0.1f));
    Render();
    EXPECT_EQ(At(left), 0xFF0000u);
    EXPECT_EQ(At(right), 0x00FF00u);
}

TEST_F(CameraRenderTest, NearerSquareHidesTheOneBehind)
{
    CVector3 const centre(0.5f, 0.0f, 0.5f);
    AddSquare(centre + CVector3(0.0f, 2.0f, 0.0f), 0.5f, 0xFF0000FF);
    AddSquare(centre, 0.2f, 0xFFFFFF00);
    Render();
    EXPECT_EQ(At(centre), 0xFFFF00u);
    EXPECT_EQ(At(centre + CVector3(0.4f, 2.0f, 0.0f)), 0x0000FFu);
}

// --- the view's shape ----------------------------------------------------------------------

constexpr std::uint32_t Red = 0xFF0000u;
constexpr std::uint32_t Green = 0x00FF00u;

// A square of half side 0.5 at distance 10 on the camera's axis fills as many rows as the field
// of view of 60 has always given it, whatever the view's width: its vertical half angle is
// 60 · 4/3 / 4 degrees.
float SquareRows(unsigned int frameHeight)
{
    float const halfAngle = 60.0f * 4.0f / 3.0f * 0.25f * std::numbers::pi_v<float> / 180.0f;
    return 0.5f / (10.0f * std::tan(halfAngle)) * float(frameHeight);
}

TEST_F(CameraRenderTest, FourToThreeDrawsASquareAtItsFormerSize)
{
    AddSquare(CVector3(0.0f, 0.0f, 1.0f), 0.5f, 0xFFFF0000);
    Render();
    ASSERT_EQ(Pixel(Width / 2, Height / 2), Red);
    auto const [x, y] = Extent(Width / 2, Height / 2, Red);
    EXPECT_NEAR(y, SquareRows(Height), 1.5f);
    EXPECT_NEAR(x, y, 1.0f);
}

// Windowed sizes come from the display's 4:3 mode list, so wide screens are monitors at the
// top of a 1024x768 window: 16:9 and 32:9 keep the height and widen the view.
class WideRenderTest : public CameraRenderTest, public ::testing::WithParamInterface<int>
{
protected:
    WideRenderTest()
    {
        width = 1024;
        height = 768;
    }
};

TEST_P(WideRenderTest, DrawsASquareSquareAndAsTall)
{
    int const screenHeight = GetParam();
    host.cameras.SetMonitorRects({{0, 0, int(width), screenHeight}});
    AddSquare(CVector3(0.0f, 0.0f, 1.0f), 0.5f, 0xFFFF0000);
    Render();
    ASSERT_EQ(Pixel(int(width) / 2, screenHeight / 2), Red);
    auto const [x, y] = Extent(int(width) / 2, screenHeight / 2, Red);
    EXPECT_NEAR(x, y, 1.0f);
    EXPECT_NEAR(y, SquareRows(unsigned(screenHeight)), 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Screens, WideRenderTest, ::testing::Values(576, 288));

// Two monitors of different sizes side by side at the top of a 1024x768 window: 320x240
// beside 640x360.
class TwoMonitorRenderTest : public CameraRenderTest
{
protected:
    static constexpr int LeftWidth = 320, LeftHeight = 240, RightWidth = 640, RightHeight = 360;

    TwoMonitorRenderTest()
    {
        width = 1024;
        height = 768;
    }

    void SetUp() override
    {
        CameraRenderTest::SetUp();
        if (IsSkipped())
            return;
        host.cameras.SetMonitorRects(
            {{0, 0, LeftWidth, LeftHeight}, {LeftWidth, 0, RightWidth, RightHeight}});
    }

    // The point of the plane y = 0 (where squares face the camera) seen at the centre of the
    // monitors' pixel (x, y from the top left). Outside the views' drawing the camera projects
    // the one view over both monitors onto the whole window.
    CVector3 OnTheSquaresPlane(int x, int y)
    {
        float const toWindowX = float(width) / float(LeftWidth + RightWidth);
        float const toWindowY = float(height) / float(RightHeight);
        CVector3 const pixel(float(x) * toWindowX, float(height) - (float(y) + 0.5f) * toWindowY, 0.0f);
        CVector3 const near = host.cameras.GetUnprojectedPoint(camera, pixel);
        CVector3 const far = host.cameras.GetUnprojectedPoint(camera, pixel + CVector3(0.0f, 0.0f, 1.0f));
        return near + (far - near) * (-near.y / (far.y - near.y));
    }
};

TEST_F(TwoMonitorRenderTest, EachMonitorShowsTheWholeViewAtItsOwnShape)
{
    host.cameras.SetMonitorLayout(EMonitorLayout::Each);
    // On the camera's axis: the centre of every monitor.
    AddSquare(CVector3(0.0f, 0.0f, 1.0f), 0.5f, 0xFFFF0000);
    Render();
    ASSERT_EQ(host.cameras.GetViewsCount(), 2u);
    ASSERT_EQ(Pixel(LeftWidth / 2, LeftHeight / 2), Red);
    ASSERT_EQ(Pixel(LeftWidth + RightWidth / 2, RightHeight / 2), Red);
    auto const [leftX, leftY] = Extent(LeftWidth / 2, LeftHeight / 2, Red);
    auto const [rightX, rightY] = Extent(LeftWidth + RightWidth / 2, RightHeight / 2, Red);
    EXPECT_NEAR(leftY, SquareRows(LeftHeight), 1.5f);
    EXPECT_NEAR(rightY, SquareRows(RightHeight), 1.5f);
    EXPECT_NEAR(leftX, leftY, 1.0f);
    EXPECT_NEAR(rightX, rightY, 1.0f);
    // Nothing of the square at the seam.
    EXPECT_EQ(Pixel(LeftWidth - 1, LeftHeight / 2), 0u);
    EXPECT_EQ(Pixel(LeftWidth, LeftHeight / 2), 0u);
}

TEST_F(TwoMonitorRenderTest, SpanDrawsOneViewContinuousAcrossTheSeam)
{
    host.cameras.SetMonitorLayout(EMonitorLayout::Span);
    host.cameras.Refresh();
    // Green on the seam, halfway down the left monitor; red at the centre of the right one.
    int const seamRow = LeftHeight / 2;
    AddSquare(OnTheSquaresPlane(LeftWidth, seamRow), 0.5f, 0xFF00FF00);
    AddSquare(OnTheSquaresPlane(LeftWidth + RightWidth / 2, RightHeight / 2), 0.3f, 0xFFFF0000);
    Render();
    ASSERT_EQ(host.cameras.GetViewsCount(), 2u);

    // The seam's square shows on both monitors: half of it on either side, square, and its
    // columns as tall on both sides.
    ASSERT_EQ(Pixel(LeftWidth - 1, seamRow), Green);
    ASSERT_EQ(Pixel(LeftWidth, seamRow), Green);
    auto const [seamX, seamY] = Extent(LeftWidth, seamRow, Green);
    EXPECT_NEAR(seamY, SquareRows(RightHeight), 1.5f);
    EXPECT_NEAR(seamX, seamY, 2.0f);
    int leftPart = 0;
    while (Pixel(LeftWidth - 1 - leftPart, seamRow) == Green)
        ++leftPart;
    EXPECT_NEAR(leftPart, seamX / 2.0f, 1.5f);
    EXPECT_NEAR(Extent(LeftWidth - 2, seamRow, Green).second, Extent(LeftWidth + 1, seamRow, Green).second,
                1.0f);
    // Each monitor shows its own part of the one view, not the whole of it.
    EXPECT_EQ(Pixel(LeftWidth + RightWidth / 2, RightHeight / 2), Red);
    EXPECT_EQ(Pixel(LeftWidth / 2, LeftHeight / 2), 0u);
}
} // namespace
