#include <gtest/gtest.h>

#include "gui/GUIHost.h"
#include "model/Model.h"
#include "platform/window/EventPump.h"
#include "platform/window/x11/SdlWindowAccess.h"
#include "render/IndexBuffer.h"
#include "render/TriangleSet.h"
#include "render/Window.h"

#include <SDL.h>

using namespace gui_test;

namespace
{
class GUIWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(true, "widgets");
        gui = host->gui;
        shader = host->ButtonShader();
    }

    unsigned int Frame(CGUIWindow* widget) const
    {
        return static_cast<unsigned int>(
            widget->GetModel()->GetTriangleSet(0)->GetShaderDescriptor()->GetStage(0)->time);
    }

    // One frame of the widget with the mouse at `cursor` and MOUSE1 up or down.
    void Step(CGUIWindow* widget, CVector2 cursor, bool down)
    {
        host->SetKey(Mouse1Index, down);
        widget->Refresh(cursor);
        host->controls->FinishFrame();
    }

    // One frame of the whole GUI through its manager, with the pointer at `cursor`.
    void ManagerStep(CVector2 cursor, bool down)
    {
        host->SetKey(Mouse1Index, down);
        gui->Refresh(cursor);
        host->controls->FinishFrame();
    }

    void ManagerClick(CVector2 at)
    {
        ManagerStep(at, false);
        ManagerStep(at, true);
        ManagerStep(at, false);
    }

    void PressKey(char const* name)
    {
        unsigned int const index = KeyIndex(name);
        host->SetKey(index, true);
        gui->Refresh(outside);
        host->controls->FinishFrame();
        host->SetKey(index, false);
        gui->Refresh(outside);
        host->controls->FinishFrame();
    }

    static unsigned int KeyIndex(char const* name)
    {
        return std::string(name) == "DOWNARROW" ? 0xD0u : std::string(name) == "ENTER" ? 0x1Cu : 0xC8u;
    }

    CGUIComboBox* AddCombo(CVector2 position, unsigned int items, char const* clickSound = nullptr)
    {
        if (!font)
            font = host->AddTestFont(10.0f);
        CGUIComboBox* combo = gui->GetComboBox(
            gui->AddComboBox(GWP_SHOWN, position, CVector2(80, 20), host->WhiteShader(), host->WhiteShader(),
                             nullptr, font, CColor(COLOR_WHITE), nullptr, clickSound));
        for (unsigned int i = 0; i < items; ++i)
            combo->AddItem(("item " + std::to_string(i)).c_str());
        return combo;
    }

    std::unique_ptr<CGUIHost> host;
    CGUIManager* gui = nullptr;
    CGUIFont* font = nullptr;
    CShaderDescriptor shader;
    CVector2 const inside = CVector2(50, 50);
    CVector2 const outside = CVector2(500, 500);
};

TEST_F(GUIWidgetTest, ButtonReportsAClickForOneFrame)
{
    CGUIButton* button =
        gui->GetButton(gui->AddButton(GWP_SHOWN, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    Step(button, outside, false);
    EXPECT_EQ(Frame(button), 0u);
    Step(button, inside, false);
    EXPECT_EQ(Frame(button), 1u);
    Step(button, inside, true);
    EXPECT_EQ(Frame(button), 2u);
    EXPECT_FALSE(button->IsPressed());
    Step(button, inside, false);
    EXPECT_TRUE(button->IsPressed());
    EXPECT_EQ(Frame(button), 1u);
    Step(button, inside, false);
    EXPECT_FALSE(button->IsPressed());
}

TEST_F(GUIWidgetTest, ButtonPressedOnItAndReleasedOffItIsNotPressed)
{
    CGUIButton* button =
        gui->GetButton(gui->AddButton(GWP_SHOWN, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    Step(button, inside, true);
    Step(button, outside, true);
    EXPECT_EQ(Frame(button), 0u);
    Step(button, outside, false);
    EXPECT_FALSE(button->IsPressed());
    Step(button, inside, false);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(Frame(button), 1u);
}

TEST_F(GUIWidgetTest, DisabledOrHiddenButtonsIgnoreTheMouse)
{
    CGUIButton* button =
        gui->GetButton(gui->AddButton(GWP_SHOWN, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    button->Enable(false);
    Step(button, inside, true);
    Step(button, inside, false);
    EXPECT_FALSE(button->IsPressed());
    button->Enable(true);
    button->Show(false);
    Step(button, inside, true);
    Step(button, inside, false);
    EXPECT_FALSE(button->IsPressed());
}

TEST_F(GUIWidgetTest, CheckBoxTogglesOnClicksUnlessItMayOnlyBeSet)
{
    CGUICheckBox* box =
        gui->GetCheckBox(gui->AddCheckBox(GWP_SHOWN, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    Step(box, inside, true);
    EXPECT_EQ(Frame(box), 1u);
    Step(box, inside, false);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(Frame(box), 2u);
    Step(box, inside, true);
    Step(box, inside, false);
    EXPECT_FALSE(box->IsChecked());

    CGUICheckBox* setOnly = gui->GetCheckBox(
        gui->AddCheckBox(GWP_SHOWN | GWP_CHECK_ONLY, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    for (int click = 0; click < 2; ++click) {
        Step(setOnly, inside, true);
        Step(setOnly, inside, false);
        EXPECT_TRUE(setOnly->IsChecked());
    }
}

// Pointer events pushed through the event pump into the host's window.
class GUIPointerTest : public GUIWidgetTest
{
protected:
    void SetUp() override
    {
        GUIWidgetTest::SetUp();
        if (IsSkipped())
            return;
        window = host->engine.GetWindow()->GetHandler();
        // In the display's corner, away from the real pointer, whose motion must not reach it.
        SDL_SetWindowPosition(platform::GetSdlWindow(window), 0, 0);
        SDL_Delay(20);
        Pump();
    }

    static void Pump()
    {
        while (platform::PumpOneEvent()) {
        }
    }

    void Move(int x, int y)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
        event.motion.x = x;
        event.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void Click(int x, int y, bool down)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // A whole frame of the controls and the GUI.
    void BeginFrame()
    {
        Pump();
        host->controls->BeginFrame();
        gui->Refresh();
    }

    HWND window = nullptr;
};

TEST_F(GUIPointerTest, TheCursorFollowsMotionEvents)
{
    Move(160, 120);
    BeginFrame();
    // GUI y grows upwards from the bottom row.
    EXPECT_FLOAT_EQ(gui->GetCursorPosition().x, 160.0f);
    EXPECT_FLOAT_EQ(gui->GetCursorPosition().y, 359.0f);
    host->controls->FinishFrame();
    Move(600, 0);
    BeginFrame();
    EXPECT_FLOAT_EQ(gui->GetCursorPosition().x, 600.0f);
    EXPECT_FLOAT_EQ(gui->GetCursorPosition().y, 479.0f);
}

TEST_F(GUIPointerTest, AQuickClickBetweenSlowFramesPressesAButton)
{
    CGUIButton* button =
        gui->GetButton(gui->AddButton(GWP_SHOWN, CVector2(40, 40), CVector2(20, 20), shader, nullptr));
    // Onto the button (GUI 50, 50), pressed and released 10 ms later, all within one frame.
    Move(50, 429);
    Click(50, 429, true);
    SDL_Delay(10);
    Click(50, 429, false);
    BeginFrame();
    EXPECT_FALSE(button->IsPressed());
    host->controls->FinishFrame();
    BeginFrame();
    EXPECT_TRUE(button->IsPressed());
}

class GUIEditBoxTest : public GUIWidgetTest
{
protected:
    void SetUp() override
    {
        GUIWidgetTest::SetUp();
        if (IsSkipped())
            return;
        // Glyphs are 5 wide: the 52-unit box shows ten characters.
        CGUIFont* font = host->AddTestFont(10.0f);
        box = gui->GetEditBox(gui->AddEditBox(GWP_SHOWN, CVector2(0, 0), CVector2(52, 12),
                                              host->WhiteShader(), nullptr, font, CVector2(0, 0),
                                              CColor(COLOR_BLUE), 12, '_', nullptr));
        box->SetFocus(true);
    }

    void Type(std::string const& text)
    {
        for (char c : text)
            Key(c, true);
    }

    void Key(char code, bool isCharacter)
    {
        host->Enter(code, isCharacter);
        box->Refresh(outside);
        host->controls->FinishFrame();
    }

    CGUIEditBox* box = nullptr;
};

TEST_F(GUIEditBoxTest, InsertsOverwritesAndStopsAtTheLimit)
{
    Type("abcd");
    EXPECT_EQ(box->GetText(), "abcd");
    Key(CGUIEditBox::KeyLeft, false);
    Key(CGUIEditBox::KeyLeft, false);
    Type("X");
    EXPECT_EQ(box->GetText(), "abXcd");
    Key(CGUIEditBox::KeyInsert, false);
    Type("YZW");
    EXPECT_EQ(box->GetText(), "abXYZW");
    Key(CGUIEditBox::KeyInsert, false);
    Type("0123456789");
    EXPECT_EQ(box->GetText().size(), 12u);
    EXPECT_EQ(box->GetText(), "abXYZW012345");
}

TEST_F(GUIEditBoxTest, DeletionAndCaretKeys)
{
    Type("hello");
    Key(CGUIEditBox::KeyBackspace, false);
    EXPECT_EQ(box->GetText(), "hell");
    Key(CGUIEditBox::KeyHome, false);
    Key(CGUIEditBox::KeyDelete, false);
    EXPECT_EQ(box->GetText(), "ell");
    Key(CGUIEditBox::KeyBackspace, false);
    EXPECT_EQ(box->GetText(), "ell");
    Key(CGUIEditBox::KeyEnd, false);
    EXPECT_EQ(box->GetCaretPosition(), 3u);
    Key(CGUIEditBox::KeyRight, false);
    EXPECT_EQ(box->GetCaretPosition(), 3u);
    // Only characters of the font and the space are taken.
    Type(std::string("\x01 z"));
    EXPECT_EQ(box->GetText(), "ell z");
}

TEST_F(GUIEditBoxTest, FirstVisibleCharacterKeepsTheCaretInTheBox)
{
    Type("abcdefghijkl");
    // Twelve characters of 5 need 60 units: the first two scroll out.
    EXPECT_EQ(box->GetFirstVisibleCharacter(), 2u);
    for (int i = 0; i < 11; ++i)
        Key(CGUIEditBox::KeyLeft, false);
    EXPECT_EQ(box->GetCaretPosition(), 1u);
    EXPECT_EQ(box->GetFirstVisibleCharacter(), 0u);
    Key(CGUIEditBox::KeyEnd, false);
    EXPECT_EQ(box->GetFirstVisibleCharacter(), 2u);
    Key(CGUIEditBox::KeyHome, false);
    EXPECT_EQ(box->GetFirstVisibleCharacter(), 0u);
}

TEST_F(GUIEditBoxTest, PrintsTheVisibleTextAndTheCaret)
{
    box->SetText("abc");
    box->Refresh(outside);
    // Three letters and (in the first 0.4 s of the box's timer) the caret.
    CGUIFont* font = box->GetFont();
    EXPECT_EQ(font->GetCharactersCount(), 0u);
    EXPECT_GE(font->GetModel()->GetTriangleSet(0)->GetIndexBuffer()->GetSize(), 18u);
    EXPECT_NEAR(font->GetModelDepthValue(), -3.005f, 1e-6);
    box->SetFocus(false);
    host->Enter('q', true);
    box->Refresh(outside);
    EXPECT_EQ(box->GetText(), "abc");
}

TEST_F(GUIWidgetTest, ComboBoxOpensPicksAndCloses)
{
    CGUIFont* font = host->AddTestFont(10.0f);
    CGUIComboBox* combo = gui->GetComboBox(gui->AddComboBox(GWP_SHOWN, CVector2(100, 300), CVector2(80, 20),
                                                            host->WhiteShader(), host->WhiteShader(), nullptr,
                                                            font, CColor(COLOR_WHITE)));
    EXPECT_EQ(combo->AddItem("one"), 0u);
    EXPECT_EQ(combo->AddItem("two"), 1u);
    EXPECT_EQ(combo->AddItem("three"), 2u);
    EXPECT_EQ(combo->GetSelectedItemIndex(), CGUIComboBox::NoSelection);

    CVector2 const onBox(140, 310);
    Step(combo, onBox, false);
    Step(combo, onBox, true);
    EXPECT_TRUE(combo->IsOpened());
    EXPECT_TRUE(combo->GetList()->IsVisible());
    EXPECT_EQ(combo->GetItemAt(CVector2(140, 290)), 0);
    EXPECT_EQ(combo->GetItemAt(CVector2(140, 250)), 2);
    Step(combo, onBox, false);

    // The second row of the list lies 20 to 40 units below the box.
    Step(combo, CVector2(140, 270), true);
    EXPECT_FALSE(combo->IsOpened());
    EXPECT_EQ(combo->GetSelectedItemIndex(), 1);
    EXPECT_STREQ(combo->GetItemText(1), "two");
    EXPECT_EQ(combo->GetItemText(3), nullptr);
    Step(combo, onBox, false);

    Step(combo, onBox, true);
    Step(combo, onBox, false);
    Step(combo, outside, true);
    EXPECT_FALSE(combo->IsOpened());
    EXPECT_EQ(combo->GetSelectedItemIndex(), 1);

    combo->RemoveItem(0);
    EXPECT_EQ(combo->GetSelectedItemIndex(), 0);
    combo->RemoveAllItems();
    EXPECT_EQ(combo->GetItemsCount(), 0u);
    EXPECT_EQ(combo->GetSelectedItemIndex(), CGUIComboBox::NoSelection);
}

TEST_F(GUIWidgetTest, SliderToddlerFollowsTheDragAndSnapsToTicks)
{
    CGUISlider* slider =
        gui->GetSlider(gui->AddSlider(GWP_SHOWN, CVector2(100, 100), CVector2(110, 20), host->WhiteShader(),
                                      host->WhiteShader(), CVector2(10, 20), nullptr));
    EXPECT_FLOAT_EQ(slider->GetToddlerPosition(), 0.0f);
    // Grab the toddler in its middle and drag it half the 100-unit travel.
    Step(slider, CVector2(105, 110), true);
    EXPECT_TRUE(slider->IsDragged());
    Step(slider, CVector2(155, 110), true);
    EXPECT_NEAR(slider->GetToddlerPosition(), 0.5f, 1e-5);
    EXPECT_NEAR(slider->GetToddler()->GetPosition().x, 50.0f, 1e-4);
    Step(slider, CVector2(400, 110), true);
    EXPECT_FLOAT_EQ(slider->GetToddlerPosition(), 1.0f);
    Step(slider, CVector2(400, 110), false);
    EXPECT_FALSE(slider->IsDragged());

    slider->SetTicksCount(5);
    slider->SetToddlerPosition(0.3f);
    EXPECT_FLOAT_EQ(slider->GetToddlerPosition(), 0.25f);
    EXPECT_EQ(slider->GetTick(), 1u);
    slider->SetTick(3);
    EXPECT_FLOAT_EQ(slider->GetToddlerPosition(), 0.75f);

    slider->Enable(false);
    Step(slider, CVector2(105, 110), true);
    EXPECT_FALSE(slider->IsDragged());
}

TEST_F(GUIWidgetTest, ScrollStepsOnTheTrackAndDragsTheThumb)
{
    CGUIScroll* scroll = gui->GetScroll(gui->AddScroll(GWP_SHOWN, CVector2(0, 0), CVector2(10, 100),
                                                       host->WhiteShader(), host->WhiteShader(), nullptr));
    scroll->SetRange(9);
    // Ten positions: the thumb is 10 high and starts at the top.
    EXPECT_FLOAT_EQ(scroll->GetThumb()->GetSize().y, 10.0f);
    EXPECT_FLOAT_EQ(scroll->GetThumb()->GetPosition().y, 90.0f);
    Step(scroll, CVector2(5, 20), true);
    EXPECT_EQ(scroll->GetScrollPosition(), 1u);
    Step(scroll, CVector2(5, 20), false);

    scroll->SetScrollPosition(0);
    Step(scroll, CVector2(5, 95), true);
    EXPECT_TRUE(scroll->IsDragged());
    Step(scroll, CVector2(5, 50), true);
    EXPECT_EQ(scroll->GetScrollPosition(), 5u);
    Step(scroll, CVector2(5, -100), true);
    EXPECT_EQ(scroll->GetScrollPosition(), 9u);
    Step(scroll, CVector2(5, -100), false);

    scroll->SetScrollPosition(20);
    EXPECT_EQ(scroll->GetScrollPosition(), 9u);
}
} // namespace

namespace
{
TEST_F(GUIWidgetTest, PickingAListItemDoesNotClickTheWidgetUnderIt)
{
    CGUIComboBox* upper = AddCombo(CVector2(100, 300), 4);
    CGUIComboBox* lower = AddCombo(CVector2(100, 270), 4);
    ManagerClick(CVector2(140, 310));
    ASSERT_TRUE(upper->IsOpened());
    // The first item's row (280 to 300) covers the lower box (270 to 290).
    ManagerClick(CVector2(140, 285));
    EXPECT_EQ(upper->GetSelectedItemIndex(), 0);
    EXPECT_FALSE(upper->IsOpened());
    EXPECT_FALSE(lower->IsOpened());
}

TEST_F(GUIWidgetTest, AListThatWouldLeaveTheScreenOpensUpwards)
{
    CGUIComboBox* combo = AddCombo(CVector2(100, 40), 5);
    ManagerClick(CVector2(140, 50));
    ASSERT_TRUE(combo->IsOpened());
    EXPECT_TRUE(combo->IsListAbove());
    EXPECT_EQ(combo->GetVisibleItemsCount(), 5u);
    EXPECT_FLOAT_EQ(combo->GetList()->GetAbsolutePosition().y, 60.0f);
}

TEST_F(GUIWidgetTest, ALongListScrollsToItsLastItemWithTheWheelAndTheArrowKeys)
{
    // 30 rows of 20 units fit neither below (11) nor above (12) a box in the middle.
    CGUIComboBox* combo = AddCombo(CVector2(100, 220), 30);
    ManagerClick(CVector2(140, 230));
    ASSERT_TRUE(combo->IsOpened());
    EXPECT_EQ(combo->GetVisibleItemsCount(), 12u);
    EXPECT_GE(combo->GetList()->GetAbsolutePosition().y, 0.0f);
    EXPECT_LE(combo->GetList()->GetAbsolutePosition().y + combo->GetList()->GetSize().y, 480.0f);

    host->controls->GetControlsState()->mouse.wheel = -120;
    gui->Refresh(outside);
    host->controls->GetControlsState()->mouse.wheel = 0;
    EXPECT_EQ(combo->GetFirstVisibleItem(), 1u);

    for (int i = 0; i < 29; ++i)
        PressKey("DOWNARROW");
    EXPECT_EQ(combo->GetHighlightedItem(), 29);
    EXPECT_EQ(combo->GetFirstVisibleItem(), 18u);
    PressKey("ENTER");
    EXPECT_FALSE(combo->IsOpened());
    EXPECT_EQ(combo->GetSelectedItemIndex(), 29);
}
} // namespace
