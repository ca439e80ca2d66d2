#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "gui/GUIHost.h"
#include "platform/window/EventPump.h"
#include "platform/window/x11/SdlWindowAccess.h"
#include "render/Window.h"

#include <SDL.h>

using namespace gui_test;

namespace
{
class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(true, "console");
        host->gui->SetScreenSize(800.0f, 600.0f);
        font = host->AddTestFont(15.0f);
        host->engine.CreateConsole("Coralume 1.00", host->WhiteShader(), font, 15.0f, '_', ']', '+',
                                   "edit.wav", "~", 0.95f, 308.0f, 1000.0f);
        console = host->engine.GetConsole();
        config = host->engine.GetConfig();
    }

    // One frame; the frame clock moves on by at least its minimum step.
    void Frame()
    {
        host->engine.GetTimerManager()->Refresh();
        host->Frame();
        host->engine.GetMessageManager()->ClearMessagesBuffer();
    }

    void Open()
    {
        config->ExecuteCommand("i_console_speed 100000000");
        host->SetKey(TildeIndex, true);
        Frame();
        host->SetKey(TildeIndex, false);
        Frame();
        ASSERT_EQ(console->GetState(), CS_OPEN);
    }

    void Key(unsigned char code)
    {
        host->Enter(static_cast<char>(code), false);
        Frame();
    }

    void Submit(std::string const& text)
    {
        console->GetEditBox()->SetText(text);
        Key(CConsole::KeyEnter);
    }

    // The rows from the newest backwards: each the fragments' texts joined.
    std::string Row(unsigned int fromNewest) const
    {
        std::vector<SConsoleLine> const& lines = console->GetLines();
        std::vector<std::string> rows;
        std::string current;
        for (SConsoleLine const& line : lines) {
            current += line.text;
            if (line.endsRow) {
                rows.push_back(current);
                current.clear();
            }
        }
        if (!current.empty())
            rows.push_back(current);
        return fromNewest < rows.size() ? rows[rows.size() - 1 - fromNewest] : "";
    }

    SConsoleLine const& Line(unsigned int fromNewest) const
    {
        return console->GetLines()[console->GetLines().size() - 1 - fromNewest];
    }

    std::unique_ptr<CGUIHost> host;
    CGUIFont* font = nullptr;
    CConsole* console = nullptr;
    CConfig* config = nullptr;
};

TEST_F(ConsoleTest, CreationRegistersTheVariablesAndStartsClosed)
{
    EXPECT_EQ(console->GetState(), CS_CLOSED);
    EXPECT_STREQ(config->GetValue("i_console_key"), "~");
    EXPECT_STREQ(config->GetDefaultValue("i_console_size"), "308.0000");
    EXPECT_STREQ(config->GetDefaultValue("i_console_alpha"), "0.9500");
    EXPECT_EQ(console->GetNickname(), "Quelloth");
    EXPECT_FALSE(console->GetConsoleWindow()->IsVisible());
    EXPECT_FLOAT_EQ(console->GetConsoleWindow()->GetPosition().y, 600.0f);
    EXPECT_FLOAT_EQ(console->GetConsoleWindow()->GetDepth(), -3.0f - 5.0f);
}

TEST_F(ConsoleTest, TitleIsRightAlignedAndTheMarkerFillsTheWidth)
{
    // Glyphs are 7.5 wide and the blank 0.85 x 15 = 12.75; printed at the margin of 3, the
    // lines end a margin short of the right edge, so the title is not cut off.
    float const room = 800.0f - 2.0f * 3.0f;
    std::string const& title = console->GetTitleLine();
    EXPECT_EQ(title.substr(title.size() - 13), "Coralume 1.00");
    EXPECT_LE(font->GetStringWidth(title.c_str()), room);
    EXPECT_GT(font->GetStringWidth((" " + title).c_str()), room);
    EXPECT_EQ(console->GetMarkerLine(), std::string(105, '+'));
}

TEST_F(ConsoleTest, AFullConsoleShowsEveryRow)
{
    for (int row = 0; row < 30; ++row)
        host->engine.GetMessageManager()->Write("%s", std::string(100, 'x').c_str());
    Open();
    Frame();
    // About 16 rows of 100 glyphs: more than a font copy's usual 1024 a frame.
    CGUIFont* copy = host->gui->GetWindowFont(host->gui->AddWindowFont(font, console->GetConsoleWindow()));
    unsigned int const rows = static_cast<unsigned int>((308.0f - 3.0f - 2.0f * 18.0f) / 18.0f);
    EXPECT_GE(copy->GetCharactersCount(), rows * 100u);
}

TEST_F(ConsoleTest, EchoedTextIsReadableOnTheDarkBackground)
{
    auto luminance = [](CVector4 const& c) {
        auto channel = [](float v) {
            return v <= 0.03928f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
        };
        return 0.2126f * channel(c.x) + 0.7152f * channel(c.y) + 0.0722f * channel(c.z);
    };
    Open();
    Submit("v_vsync");
    // The lightest part of the console's picture.
    float const background = luminance(CVector4(14.0f / 255.0f, 38.0f / 255.0f, 65.0f / 255.0f, 1.0f));
    float const echo = luminance(Line(1).color.GetVector4());
    EXPECT_EQ(Line(1).text.substr(0, 2), "]\\");
    EXPECT_GE((echo + 0.05f) / (background + 0.05f), 4.5f);
}

TEST_F(ConsoleTest, KeySlidesTheConsoleInAndOut)
{
    host->SetKey(TildeIndex, true);
    Frame();
    EXPECT_EQ(console->GetState(), CS_OPENING);
    EXPECT_TRUE(console->GetConsoleWindow()->IsVisible());
    // Held down, the key does not toggle again.
    Frame();
    EXPECT_NE(console->GetState(), CS_CLOSING);
    host->SetKey(TildeIndex, false);
    config->ExecuteCommand("i_console_speed 100000000");
    Frame();
    EXPECT_EQ(console->GetState(), CS_OPEN);
    EXPECT_FLOAT_EQ(console->GetConsoleWindow()->GetPosition().y, 600.0f - 308.0f);
    EXPECT_TRUE(console->GetEditBox()->GetFocus());

    host->SetKey(TildeIndex, true);
    Frame();
    EXPECT_EQ(console->GetState(), CS_CLOSED);
    EXPECT_FALSE(console->GetConsoleWindow()->IsVisible());
    EXPECT_FLOAT_EQ(console->GetConsoleWindow()->GetPosition().y, 600.0f);
}

TEST_F(ConsoleTest, BackgroundPictureIsTakenWhenTheConsoleFirstOpens)
{
    EXPECT_EQ(console->GetConsoleWindow()->GetShaderDescriptor().GetStagesCount(), 0u);
    Open();
    ASSERT_EQ(console->GetConsoleWindow()->GetShaderDescriptor().GetStagesCount(), 1u);
    EXPECT_STREQ(console->GetConsoleWindow()->GetShaderDescriptor().GetStage(0)->imageName,
                 "font\\white.tga");
}

TEST_F(ConsoleTest, ASlowFrameMovesAtMostTheClampedStep)
{
    host->SetKey(TildeIndex, true);
    host->engine.GetTimerManager()->Refresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Frame();
    ASSERT_EQ(console->GetState(), CS_OPENING);
    EXPECT_NEAR(console->GetConsoleWindow()->GetPosition().y, 600.0f - 100.0f, 1e-3);
}

TEST_F(ConsoleTest, EnteringAVariableEchoesItAndShowsItsValue)
{
    Open();
    Submit("v_vsync");
    EXPECT_EQ(Row(1), "]\\v_vsync\n");
    EXPECT_STREQ(Line(1).color.GetString(), "#8CC8FF");
    std::string const value = config->GetValue("v_vsync");
    std::string const defaultValue = config->GetDefaultValue("v_vsync");
    EXPECT_EQ(Row(0), "\"v_vsync\" is \"" + value + "\", default is \"" + defaultValue + "\"\n");
    EXPECT_STREQ(Line(0).color.GetString(), "#FFFFFF");
    EXPECT_EQ(console->GetEditBox()->GetText(), "");
    ASSERT_EQ(console->GetHistory().size(), 1u);
    EXPECT_EQ(console->GetHistory()[0], "\\v_vsync");
}

// The key events and the text of one typed character, as the window system sends them.
void PushTyped(HWND window, char character)
{
    SDL_Event event;
    SDL_zero(event);
    event.key.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
    auto const key = [&event](SDL_Scancode scancode, bool down) {
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    };
    bool const shifted = character == '_';
    SDL_Scancode scancode = SDL_SCANCODE_RETURN;
    if (character >= 'a' && character <= 'z')
        scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (character - 'a'));
    else if (character >= '1' && character <= '9')
        scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (character - '1'));
    else if (character == ' ')
        scancode = SDL_SCANCODE_SPACE;
    else if (shifted)
        scancode = SDL_SCANCODE_MINUS;
    if (shifted)
        key(SDL_SCANCODE_LSHIFT, true);
    key(scancode, true);
    if (character != '\n') {
        SDL_Event text;
        SDL_zero(text);
        text.type = SDL_TEXTINPUT;
        text.text.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
        text.text.text[0] = character;
        ASSERT_EQ(SDL_PushEvent(&text), 1);
    }
    key(scancode, false);
    if (shifted)
        key(SDL_SCANCODE_LSHIFT, false);
}

TEST_F(ConsoleTest, TypingBetweenTwoFramesReachesTheLineInOrder)
{
    Open();
    // All typed while one slow frame is drawn; Enter acts on what came before it.
    HWND const window = host->engine.GetWindow()->GetHandler();
    for (char character : std::string("v_vsync 1\nx"))
        PushTyped(window, character);
    while (platform::PumpOneEvent()) {
    }
    Frame();
    ASSERT_EQ(console->GetHistory().size(), 1u);
    EXPECT_EQ(console->GetHistory()[0], "\\v_vsync 1");
    Frame();
    EXPECT_EQ(console->GetEditBox()->GetText(), "x");
}

TEST_F(ConsoleTest, SayShowsTheNicknameAndTheFirstWordInGreen)
{
    Open();
    Submit("\\say hello world");
    EXPECT_STREQ(config->GetValue("say"), "hello");
    EXPECT_EQ(Row(0), "Quelloth: \"hello\"\n");
    EXPECT_STREQ(Line(2).color.GetString(), "#FFFFFF");
    EXPECT_EQ(Line(1).text, "hello");
    EXPECT_STREQ(Line(1).color.GetString(), "#00FF00");
    EXPECT_EQ(Row(1), "]\\say hello world\n");

    std::size_t const before = console->GetLines().size();
    Submit("say");
    EXPECT_EQ(console->GetLines().size(), before + 1);
    EXPECT_EQ(Row(0), "]\\say\n");
}

TEST_F(ConsoleTest, UnknownAndEmptyLines)
{
    Open();
    Submit("no_such_thing 3");
    EXPECT_EQ(Row(0), "Unknown command \"no_such_thing\"\n");
    std::size_t const before = console->GetLines().size();
    Submit("\\");
    Submit("");
    EXPECT_EQ(console->GetLines().size(), before);
    EXPECT_EQ(console->GetHistory().size(), 1u);
}

TEST_F(ConsoleTest, TabCompletesOneNameAndListsSeveral)
{
    Open();
    console->GetEditBox()->SetText("v_g");
    Key(CConsole::KeyTab);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\v_gamma ");

    console->GetEditBox()->SetText("R_SHOW");
    Key(CConsole::KeyTab);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\r_show_");
    EXPECT_EQ(Row(4), "\\r_show\n");
    EXPECT_EQ(Row(3), "    \\r_show_faces_edges\n");
    EXPECT_EQ(Row(0), "    \\r_show_octree_nodes\n");

    console->GetEditBox()->SetText("zzz");
    Key(CConsole::KeyTab);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\zzz");
}

TEST_F(ConsoleTest, NamesRemovedWithTheirOwnerAreNeitherCompletedNorRun)
{
    int value = 0;
    CConfig::Owner const owner = config->CreateOwner();
    {
        CConfig::CRegistrationScope const scope(config, owner);
        config->CreateCommand("g_gone_value", CCT_INT, false, false, &value, "1");
        config->CreateCommand("g_gone_command", CCT_COMMAND, false, false, nullptr, "");
    }
    config->RemoveEntriesOf(owner);
    Open();
    console->GetEditBox()->SetText("g_gone");
    Key(CConsole::KeyTab);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\g_gone");
    Submit("g_gone_value 5");
    EXPECT_EQ(Row(0), "Unknown command \"g_gone_value\"\n");
    EXPECT_EQ(value, 1);
}

TEST_F(ConsoleTest, HistoryGoesUpAndDown)
{
    Open();
    Submit("say one");
    Submit("say two");
    Submit("say three");
    Key(CConsole::KeyUp);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\say three");
    Key(CConsole::KeyUp);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\say two");
    Key(CConsole::KeyDown);
    EXPECT_EQ(console->GetEditBox()->GetText(), "\\say three");
    Key(CConsole::KeyDown);
    EXPECT_EQ(console->GetEditBox()->GetText(), "");
    Key(CConsole::KeyDown);
    EXPECT_EQ(console->GetEditBox()->GetText(), "");
    Key(CConsole::KeyEscape);
    Key(CConsole::KeyUp);
    Key(CConsole::KeyEscape);
    EXPECT_EQ(console->GetEditBox()->GetText(), "");
}

TEST_F(ConsoleTest, PageUpStopsAtTheOldestRow)
{
    Open();
    unsigned int const rows = console->GetRowsCount();
    ASSERT_GT(rows, 0u);
    for (unsigned int i = 0; i < rows + 5; ++i)
        Key(CConsole::KeyPageUp);
    Frame();
    EXPECT_EQ(console->GetScrollOffset(), rows);
    Key(CConsole::KeyPageDown);
    EXPECT_EQ(console->GetScrollOffset(), rows - 1);

    // Closing returns to the newest rows.
    host->SetKey(TildeIndex, true);
    Frame();
    EXPECT_EQ(console->GetScrollOffset(), 0u);
}

TEST_F(ConsoleTest, MessagesAreKeptWhileClosedAndColouredByKind)
{
    host->engine.GetMessageManager()->WriteWarning("careful");
    host->engine.GetMessageManager()->WriteError("broken");
    Frame();
    EXPECT_EQ(console->GetState(), CS_CLOSED);
    bool warned = false;
    bool failed = false;
    for (SConsoleLine const& line : console->GetLines()) {
        warned |= line.text.find("careful") != std::string::npos &&
                  std::string(line.color.GetString()) == "#808080";
        failed |=
            line.text.find("broken") != std::string::npos && std::string(line.color.GetString()) == "#FF0000";
    }
    EXPECT_TRUE(warned);
    EXPECT_TRUE(failed);
}

TEST_F(ConsoleTest, LongTextWrapsAtTheScreenWidth)
{
    Open();
    config->ExecuteCommand("say x");
    std::string const text(250, 'W');
    Submit("say " + text);
    // 7.5-unit glyphs: 106 fit the 800-unit screen.
    std::vector<SConsoleLine> const& lines = console->GetLines();
    std::size_t wrapped = 0;
    for (SConsoleLine const& line : lines)
        if (line.text.find('W') != std::string::npos && line.endsRow && line.width > 790.0f)
            ++wrapped;
    EXPECT_GE(wrapped, 1u);
    for (SConsoleLine const& line : lines)
        EXPECT_LE(line.width, 800.0f);
}

TEST_F(ConsoleTest, DestroyRemovesTheWindows)
{
    std::vector<unsigned int> ids;
    for (unsigned int id = 0; id < 16; ++id) {
        CGUIWindow* window = host->gui->GetWindow(id);
        if (window && (window == console->GetConsoleWindow() ||
                       window == console->GetConsoleWindow()->GetParent() || window == console->GetEditBox()))
            ids.push_back(id);
    }
    ASSERT_EQ(ids.size(), 3u);
    console->Destroy();
    EXPECT_TRUE(console->IsFree());
    for (unsigned int id : ids)
        EXPECT_EQ(host->gui->GetWindow(id), nullptr);
    // The variables stay registered.
    EXPECT_STREQ(config->GetValue("i_console_key"), "~");
}
} // namespace
