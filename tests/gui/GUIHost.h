#pragma once

// An engine in a small window (on the scripted device or the OpenGL one) with a test font:
// glyphs for the printable characters of a white atlas, and helpers that play the input of
// one frame into the controls.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/Engine.h"
#include "gui/GUIManager.h"
#include "support/FakeDirect3D8.h"

namespace gui_test
{
struct SGlyphRecord
{
    unsigned char code;
    float u, v, du, dv, advance;
};

inline void PutU32(std::vector<unsigned char>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

inline void PutF32(std::vector<unsigned char>& out, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

// A TWFNT image; the size field is the real size unless `sizeField` is given.
inline std::vector<unsigned char> MakeFontFile(std::vector<SGlyphRecord> const& glyphs,
                                               std::uint32_t version = 200, std::int64_t sizeField = -1)
{
    std::vector<unsigned char> out;
    PutU32(out, 0);
    out.insert(out.end(), {'T', 'W', 'F', 'N', 'T'});
    PutU32(out, version);
    PutU32(out, static_cast<std::uint32_t>(glyphs.size()));
    for (SGlyphRecord const& glyph : glyphs) {
        out.push_back(glyph.code);
        PutF32(out, glyph.u);
        PutF32(out, glyph.v);
        PutF32(out, glyph.du);
        PutF32(out, glyph.dv);
        PutF32(out, glyph.advance);
    }
    std::uint32_t const size =
        sizeField < 0 ? static_cast<std::uint32_t>(out.size()) : std::uint32_t(sizeField);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(size >> (8 * i));
    return out;
}

// Every printable character except the space, each covering the whole atlas, advance 0.5.
inline std::vector<SGlyphRecord> PrintableGlyphs()
{
    std::vector<SGlyphRecord> glyphs;
    for (int code = 33; code < 127; ++code)
        glyphs.push_back({static_cast<unsigned char>(code), 0.0f, 0.0f, 1.0f, 1.0f, 0.5f});
    return glyphs;
}

// An uncompressed 32-bit TGA filled with one ARGB colour.
inline std::vector<unsigned char> MakeSolidTga(unsigned int width, unsigned int height, std::uint32_t argb)
{
    std::vector<unsigned char> out(18, 0);
    out[2] = 2;
    out[12] = static_cast<unsigned char>(width);
    out[13] = static_cast<unsigned char>(width >> 8);
    out[14] = static_cast<unsigned char>(height);
    out[15] = static_cast<unsigned char>(height >> 8);
    out[16] = 32;
    out[17] = 8 | 0x20;
    for (unsigned int i = 0; i < width * height; ++i) {
        out.push_back(static_cast<unsigned char>(argb));
        out.push_back(static_cast<unsigned char>(argb >> 8));
        out.push_back(static_cast<unsigned char>(argb >> 16));
        out.push_back(static_cast<unsigned char>(argb >> 24));
    }
    return out;
}

// Key indices of the controls' state table.
constexpr unsigned int Mouse1Index = 256;
constexpr unsigned int TildeIndex = 0x29;

class CGUIHost
{
public:
    static constexpr char const* FontFile = "Data\\Textures\\font\\test.fnt";
    static constexpr unsigned int Width = 640;
    static constexpr unsigned int Height = 480;

    static bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }

    explicit CGUIHost(bool fake, std::string const& name)
    {
        directory = std::filesystem::temp_directory_path() /
                    ("tidewell_gui_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "Data" / "Textures" / "font");
        std::ofstream(directory / "GUITest.ini")
            << "v_fullscreen 0\nv_mode " << Width << "x" << Height << "x32\n";
        WriteFile("Data/Textures/font/test.fnt", MakeFontFile(PrintableGlyphs()));
        WriteFile("Data/Textures/font/white.tga", MakeSolidTga(16, 16, 0xFFFFFFFFu));
        if (fake) {
            runtime.adapters.push_back(FakeDirect3D8::MakeAdapter({1280, 1024, 60, D3DFMT_X8R8G8B8},
                                                                  {{Width, Height, 60, D3DFMT_X8R8G8B8}}));
            runtime.Install();
            installed = true;
        }
        directoryText = directory.string();
        settings.applicationName = "GUITest";
        settings.applicationVersion = 100;
        settings.engineDirectory = directoryText.c_str();
        settings.configFileName = "GUITest";
        settings.configDirectory = directoryText.c_str();
        settings.createLogFile = false;
        settings.logDirectory = directoryText.c_str();
        engine.Create(settings);
        gui = engine.GetGUIManager();
        controls = engine.GetControls();
        gui->SetScreenSize(static_cast<float>(Width), static_cast<float>(Height));
    }

    ~CGUIHost()
    {
        engine.Destroy();
        if (installed)
            runtime.Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    void WriteFile(std::string const& relative, std::vector<unsigned char> const& bytes)
    {
        std::ofstream out(directory / relative, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // A white, textured descriptor (blending off).
    CShaderDescriptor WhiteShader()
    {
        CShaderDescriptor descriptor;
        engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, 0u);
        descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "font\\white.tga", "", SSBT_CLAMP);
        return descriptor;
    }

    // A descriptor whose first stage has three frames, as buttons use.
    CShaderDescriptor ButtonShader()
    {
        CShaderDescriptor descriptor;
        engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, 0u);
        descriptor.AddStage(SSF_TEXTURE | SSF_NO_LOAD | SSF_ANIMATED_TEXTURE, 3, 0.0f, "button.tga", "",
                            SSBT_CLAMP);
        return descriptor;
    }

    CGUIFont* AddTestFont(float size = 10.0f)
    {
        CGUIFont* font = gui->GetFont(gui->AddFont(WhiteShader(), FontFile));
        font->SetSize(size);
        return font;
    }

    void SetKey(unsigned int index, bool down)
    {
        controls->GetControlsState()->currentState[index] = down ? 1 : 0;
    }

    void Enter(char code, bool isCharacter) { controls->EnterKey(code, isCharacter); }

    // The GUI's part of a frame, then the end of the controls' frame.
    void Frame()
    {
        gui->Refresh();
        if (!engine.GetConsole()->IsFree())
            engine.GetConsole()->Refresh();
        controls->FinishFrame();
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 runtime;
    bool installed = false;
    SEngineSettings settings{};
    CEngine engine;
    CGUIManager* gui = nullptr;
    CControls* controls = nullptr;
};
} // namespace gui_test
