#include "SpriteFixture.h"

#include <cstdint>
#include <numbers>

#include "model/Model.h"
#include "render/Direct3DSubsystem.h"

namespace
{
// Sprite groups drawn by the engine frame on the OpenGL device, read back from the screen.
class SpriteRenderTest : public SpriteFixture
{
protected:
    SpriteRenderTest() : SpriteFixture(false) {}

    struct SPixel
    {
        int r, g, b;
    };

    std::vector<std::uint8_t> DrawFrame()
    {
        Models()->SetClearColor({0.0f, 0.0f, 1.0f, 1.0f});
        // The test reads frames the engine's capture did not ask for.
        engine.GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
        engine.BeginFrame();
        engine.FinishFrame();
        D3DPRESENT_PARAMETERS const& present = engine.GetDirect3DSubsystem()->GetPresentParameters();
        width = present.BackBufferWidth;
        height = present.BackBufferHeight;
        std::vector<std::uint8_t> frame(std::size_t(width) * height * 4);
        EXPECT_EQ(engine.GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(frame.data(), width * 4),
                  D3D_OK);
        return frame;
    }

    SPixel PixelAt(std::vector<std::uint8_t> const& frame, unsigned int x, unsigned int y) const
    {
        std::uint8_t const* pixel = frame.data() + (std::size_t(y) * width + x) * 4;
        return {pixel[2], pixel[1], pixel[0]};
    }

    // Fraction of the frame that is red.
    double RedShare(std::vector<std::uint8_t> const& frame) const
    {
        std::size_t red = 0;
        for (std::size_t i = 0; i + 3 < frame.size(); i += 4)
            red += frame[i + 2] > 200 && frame[i] < 50;
        return double(red) / double(std::size_t(width) * height);
    }

    unsigned int width = 0;
    unsigned int height = 0;
};

TEST_F(SpriteRenderTest, SpriteInFrontOfTheCameraCoversTheCentre)
{
    CSpriteGroup* group = Groups()->AddSpriteGroup(1u, MakeShader(), 0u);
    group->AddSprite({0, 0, -5}, 1.0f, {1, 0, 0, 1});
    std::vector<std::uint8_t> const frame = DrawFrame();
    SPixel const centre = PixelAt(frame, width / 2, height / 2);
    EXPECT_GT(centre.r, 200);
    EXPECT_LT(centre.b, 50);
    // A square two units wide five units away fills a fifth of the view's width.
    double const share = RedShare(frame);
    EXPECT_GT(share, 0.02);
    EXPECT_LT(share, 0.2);
    SPixel const corner = PixelAt(frame, 2, 2);
    EXPECT_GT(corner.b, 200);
}

TEST_F(SpriteRenderTest, TurnedCameraStillSeesTheWholeSquare)
{
    CSpriteGroup* group = Groups()->AddSpriteGroup(1u, MakeShader(), 0u);
    group->AddSprite({0, 0, -5}, 1.0f, {1, 0, 0, 1});
    double const straight = RedShare(DrawFrame());

    // Pitched and turned: the sprite placed five units along the new viewing direction.
    PlaceCamera({0, 0, 0}, {std::numbers::pi_v<float> / 2.0f, 0.0f, 0.6f});
    float const* view = camera->GetModelViewMatrix().Get();
    CVector3 const forward(-view[8], -view[9], -view[10]);
    group->GetSprite(0)->position = forward * 5.0f;
    std::vector<std::uint8_t> const frame = DrawFrame();
    SPixel const centre = PixelAt(frame, width / 2, height / 2);
    EXPECT_GT(centre.r, 200);
    EXPECT_NEAR(RedShare(frame), straight, straight * 0.1);
}

} // namespace
