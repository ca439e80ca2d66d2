#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/GUIHost.h"
#include "model/Model.h"
#include "render/TriangleSet.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"

using namespace gui_test;

namespace
{
// A mono 8-bit WAV of one second of silence.
std::vector<unsigned char> SilentWave()
{
    unsigned int const rate = 8000;
    std::vector<unsigned char> out;
    auto text = [&out](char const* t) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(t[i]));
    };
    text("RIFF");
    PutU32(out, 36 + rate);
    text("WAVE");
    text("fmt ");
    PutU32(out, 16);
    out.insert(out.end(), {1, 0, 1, 0});
    PutU32(out, rate);
    PutU32(out, rate);
    out.insert(out.end(), {1, 0, 8, 0});
    text("data");
    PutU32(out, rate);
    out.insert(out.end(), rate, 0x80);
    return out;
}

// Widgets with sounds on the silent sound device: which of their sounds play, and where.
class GUISoundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        ::setenv("ALSOFT_DRIVERS", "null", 1);
        host = std::make_unique<CGUIHost>(true, "sounds");
        gui = host->gui;
        sounds = host->engine.GetSoundManager();
        if (sounds->IsFree())
            GTEST_SKIP() << "no sound device";
        std::filesystem::create_directories(host->directory / "Data" / "Sounds");
        host->WriteFile("Data/Sounds/over.wav", SilentWave());
        host->WriteFile("Data/Sounds/click.wav", SilentWave());
    }

    void Step(CVector2 cursor, bool down)
    {
        host->SetKey(Mouse1Index, down);
        gui->Refresh(cursor);
        host->controls->FinishFrame();
    }

    // The widget's sounds in the order it loaded them (over, then click).
    CSound* Sound(unsigned int order) const { return sounds->GetSound(sounds->GetOccupiedSoundIndex(order)); }

    bool IsPlaying(unsigned int order) const { return Sound(order)->GetState() == SS_PLAYING; }

    std::unique_ptr<CGUIHost> host;
    CGUIManager* gui = nullptr;
    CSoundManager* sounds = nullptr;
    CVector2 const on = CVector2(110, 110);
    CVector2 const off = CVector2(500, 400);
};

TEST_F(GUISoundTest, HoveringACheckBoxPlaysItsSoundOnceAndShowsTheHoverLook)
{
    CGUICheckBox* box =
        gui->GetCheckBox(gui->AddCheckBox(GWP_SHOWN, CVector2(100, 100), CVector2(20, 20),
                                          host->ButtonShader(), nullptr, "over.wav", "click.wav"));
    Step(off, false);
    Step(on, false);
    EXPECT_TRUE(IsPlaying(0));
    sounds->StopSound(sounds->GetOccupiedSoundIndex(0));
    for (int frame = 0; frame < 5; ++frame)
        Step(on, false);
    EXPECT_FALSE(IsPlaying(0));
    EXPECT_EQ(box->GetModel()->GetTriangleSet(0)->GetShaderDescriptor()->GetStage(0)->time, 1.0f);
}

TEST_F(GUISoundTest, ComboBoxesAndSlidersClickLikeButtons)
{
    CGUIFont* font = host->AddTestFont(10.0f);
    CGUIComboBox* combo = gui->GetComboBox(
        gui->AddComboBox(GWP_SHOWN, CVector2(100, 100), CVector2(80, 20), host->WhiteShader(),
                         host->WhiteShader(), nullptr, font, CColor(COLOR_WHITE), "over.wav", "click.wav"));
    combo->AddItem("one");
    Step(on, false);
    Step(on, true);
    EXPECT_TRUE(combo->IsOpened());
    EXPECT_TRUE(IsPlaying(1));
    Step(on, false);
    Step(off, true);
    Step(off, false);
    ASSERT_FALSE(combo->IsOpened());

    gui->AddSlider(GWP_SHOWN, CVector2(100, 300), CVector2(100, 20), host->WhiteShader(), host->WhiteShader(),
                   CVector2(10, 20), nullptr, "over.wav", "click.wav");
    unsigned int const count = sounds->GetOccupiedSoundsIndicesCount();
    Step(CVector2(150, 310), false);
    Step(CVector2(150, 310), true);
    EXPECT_TRUE(IsPlaying(count - 1));
}

TEST_F(GUISoundTest, WidgetSoundsPlayAtTheListener)
{
    gui->AddButton(GWP_SHOWN, CVector2(100, 100), CVector2(20, 20), host->ButtonShader(), nullptr, "over.wav",
                   "click.wav");
    for (unsigned int order = 0; order < 2; ++order) {
        CVector3 const position = Sound(order)->GetPosition();
        CVector3 const listener = sounds->GetListenerPosition();
        EXPECT_FLOAT_EQ(position.x, listener.x);
        EXPECT_FLOAT_EQ(position.y, listener.y);
        EXPECT_FLOAT_EQ(position.z, listener.z);
    }
}
} // namespace
