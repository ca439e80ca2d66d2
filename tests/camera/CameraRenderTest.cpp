#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
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
        host.Create(false, Width, Height);
        created = true;
        camera = host.cameras.GetCamera(host.cameras.AddCamera(CT_PERSPECTIVE));
        camera->SetPosition(CVector3(0.0f, -10.0f, 1.0f));
        camera->SetAngles(CVector3(1.5707964f, 0.0f, 0.0f));
        camera->SetFOV(60.0f);
    }

    void TearDown() override
    {
        sets.clear();
        vertices.reset();
        if (created)
            host.Destroy();
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
        host.cameras.ApplyCamera(camera, false);
        host.lights.Enable(false);
        host.direct3D.SetCullMode(D3DCULL_NONE);
        host.direct3D.SetZEnable(1);
        vertices->Use();
        for (auto& set : sets)
            set->Draw();
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        frame.assign(std::size_t(Width) * Height, 0);
        ASSERT_EQ(device->GetFrontBuffer(frame.data(), Width * 4), D3D_OK);
    }

    // The colour shown where the camera manager projects `point` (its y runs upwards).
    std::uint32_t At(CVector3 const& point, int dx = 0, int dy = 0)
    {
        CVector3 const screen = host.cameras.GetProjectedPoint(camera, point);
        int const x = static_cast<int>(screen.x) + dx;
        int const row = static_cast<int>(Height) - 1 - static_cast<int>(screen.y) - dy;
        if (x < 0 || row < 0 || x >= static_cast<int>(Width) || row >= static_cast<int>(Height))
            return 0xDEADBEEF;
        return frame[std::size_t(row) * Width + x] & 0x00FFFFFF;
    }

    SRenderHost host;
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
} // namespace
