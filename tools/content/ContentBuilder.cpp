#include "ContentBuilder.h"

#include "ByteWriter.h"
#include "FishDataWriter.h"
#include "FishModel.h"
#include "FishPortrait.h"
#include "FishTextures.h"
#include "FontRasterizer.h"
#include "JpegWriter.h"
#include "OctreeWriter.h"
#include "OggWriter.h"
#include "PackFileWriter.h"
#include "ParticleSystemWriter.h"
#include "PluginDescriptorWriter.h"
#include "SettingsPictures.h"
#include "ShaderFileWriter.h"
#include "Sounds.h"
#include "StarfishModel.h"
#include "TankLayout.h"
#include "TankModels.h"
#include "TankTextures.h"
#include "Textures.h"
#include "TgaWriter.h"
#include "WavWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#ifndef CORALUME_FONT_FILE
#define CORALUME_FONT_FILE "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
#endif
#ifndef CORALUME_TITLE_FONT_FILE
#define CORALUME_TITLE_FONT_FILE "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
#endif

namespace content
{

namespace
{

std::string Format(char const* format, int a, int b = 0)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

constexpr float StarfishAnimationSpeed = 1.5f;
constexpr int BlendedTextureQuality = 92;
// The models are built at about 1.5 units long; the school shows them a third larger.
constexpr float FishSizeDivisor = 0.75f;

} // namespace

void CContentBuilder::Build(std::string const& outDirectory, bool pack)
{
    m_outDirectory = outDirectory;
    m_written.clear();
    m_dataFiles.clear();
    BuildFish();
    BuildStarfish();
    BuildPictures();
    BuildFont();
    BuildSounds();
    BuildParticleSystem();
    BuildTank();
    BuildSettingsPictures();
    BuildFishPacks();
    BuildPluginDescriptors();
    BuildConfiguration();
    if (pack) {
        CPackFileWriter packWriter;
        for (auto& [path, bytes] : m_dataFiles) {
            std::string name = path;
            std::replace(name.begin(), name.end(), '/', '\\');
            packWriter.AddFile(name, bytes);
        }
        std::vector<std::uint8_t> const bytes = packWriter.Write();
        WriteFileBytes(m_outDirectory + "/Data/coralume.pak", bytes);
        m_written.push_back("Data/coralume.pak");
    }
    m_dataFiles.clear();
}

void CContentBuilder::Write(std::string const& relativePath, std::vector<std::uint8_t> const& bytes)
{
    WriteFileBytes(m_outDirectory + "/" + relativePath, bytes);
    m_written.push_back(relativePath);
    if (relativePath.rfind("Data/", 0) == 0) {
        m_dataFiles.emplace_back(relativePath, bytes);
    }
}

void CContentBuilder::BuildFish()
{
    auto const& species = GetFishSpecies();
    m_fishPortraits.assign(species.size(), {});
    for (std::size_t i = 0; i < species.size(); ++i) {
        int const number = static_cast<int>(i) + 1;
        SFishGeometry const geometry = CFishModelBuilder::Build(species[i]);
        std::string const base = Format("Data/Models/fish%d", number);
        Write(base + ".mlf", CModelWriter::Write(geometry.model));
        // Descriptor 0: the opaque body; descriptor 1: the fins, blended through the alpha map.
        // Both sample one texture (the body ignores its alpha), so a variant loads one picture.
        std::string const texture = Format("fish%d_%d.jpg", number, 1);
        std::string const alpha = Format("fish_alfa_%d_%d.jpg", number, 1);
        SShaderRecord bodyShader = SShaderRecord::MakeOpaque(texture);
        bodyShader.stages[0].flags |= SSF_OPACITY_MAP;
        bodyShader.stages[0].opacity = alpha;
        bodyShader.stages[0].borderU = bodyShader.stages[0].borderV = SSBT_CLAMP;
        SShaderRecord finShader = SShaderRecord::MakeBlended(texture, alpha);
        finShader.stages[0].borderU = finShader.stages[0].borderV = SSBT_CLAMP;
        Write(base + ".srf", CShaderFileWriter::Write({bodyShader, finShader}));
        CVector3 const pad(0.05f, 0.1f, 0.05f);
        Write(base + ".otf", COctreeWriter::Write(COctreeWriter::MakeSingleLeaf(
                                 geometry.boxMin - pad, geometry.boxMax + pad,
                                 static_cast<std::uint32_t>(geometry.model.sets.size()))));
        for (unsigned int palette = 0; palette < 2; ++palette) {
            SFishTextures const textures = CFishTexturePainter::Paint(species[i], palette, geometry);
            int const variant = static_cast<int>(palette) + 1;
            Write(Format("Data/Textures/fish%d_%d.jpg", number, variant),
                  CJpegWriter::Write(textures.colour, 92));
            Write(Format("Data/Textures/fish_alfa_%d_%d.jpg", number, variant),
                  CJpegWriter::Write(textures.alpha, 92));
            m_fishPortraits[i].push_back(CTgaWriter::Write(CFishPortraitPainter::Paint(geometry, textures)));
        }
    }
}

void CContentBuilder::BuildStarfish()
{
    SModelData const star = CStarfishModelBuilder::BuildStar();
    Write("Data/Models/star.mlf", CModelWriter::Write(star));
    Write("Data/Models/star.srf", CShaderFileWriter::Write({SShaderRecord::MakeOpaque("star.jpg")}));
    CVector3 min, max;
    CStarfishModelBuilder::GetBoundingBox(star, &min, &max);
    Write("Data/Models/star.otf", COctreeWriter::Write(COctreeWriter::MakeSingleLeaf(
                                      min, max, static_cast<std::uint32_t>(star.sets.size()))));

    SModelData const shadow = CStarfishModelBuilder::BuildShadow();
    Write("Data/Models/star_shadow.mlf", CModelWriter::Write(shadow));
    SShaderRecord shadowShader = SShaderRecord::MakeBlended("star_shadow.jpg", "star_shadow_alfa.jpg");
    shadowShader.stages[0].borderU = shadowShader.stages[0].borderV = SSBT_CLAMP;
    Write("Data/Models/star_shadow.srf", CShaderFileWriter::Write({shadowShader}));
    CStarfishModelBuilder::GetBoundingBox(shadow, &min, &max);
    Write("Data/Models/star_shadow.otf", COctreeWriter::Write(COctreeWriter::MakeSingleLeaf(min, max, 1)));

    Write("Data/Textures/star.jpg", CJpegWriter::Write(CTexturePainter::Starfish(), 92));
    WriteBlendedTexture("star_shadow", CTexturePainter::StarShadowColour(),
                        CTexturePainter::StarShadowAlpha());
}

void CContentBuilder::BuildPictures()
{
    Write("Data/Textures/plankton.jpg", CJpegWriter::Write(CTexturePainter::Plankton(), 95));
    Write("Data/Textures/loading.jpg",
          CJpegWriter::Write(
              CTexturePainter::Scene(1024, 512, "Loading...", CORALUME_TITLE_FONT_FILE, CORALUME_FONT_FILE),
              90));
    Write("Data/Textures/preview.jpg",
          CJpegWriter::Write(
              CTexturePainter::Scene(256, 256, "", CORALUME_TITLE_FONT_FILE, CORALUME_FONT_FILE), 90));
    Write("Data/Textures/Console/console.jpg", CJpegWriter::Write(CTexturePainter::Console(), 90));
}

void CContentBuilder::BuildFont()
{
    CFontRasterizer rasterizer(CORALUME_FONT_FILE, 32);
    SFontAtlas const atlas = rasterizer.BuildAtlas(512);
    Write("Data/Textures/font/font.tga", CTgaWriter::Write(atlas.picture));
    Write("Data/Textures/font/font.fnt", CFontWriter::Write(atlas.glyphs));
}

void CContentBuilder::BuildSounds()
{
    constexpr std::uint32_t Rate = CSoundSynthesizer::SampleRate;
    Write("Data/Sounds/edit.wav", CWavWriter::Write(CSoundSynthesizer::KeyClick(), Rate));
    Write("Data/Sounds/Menu/button_press.wav", CWavWriter::Write(CSoundSynthesizer::ButtonPress(), Rate));
    Write("Data/Sounds/Menu/button_over.wav", CWavWriter::Write(CSoundSynthesizer::ButtonOver(), Rate));
    Write("Data/Sounds/Menu/check_box.wav", CWavWriter::Write(CSoundSynthesizer::CheckBox(), Rate));
    Write("Data/Sounds/bubbles.ogg", COggWriter::Write(CSoundSynthesizer::Bubbles(4.0f), Rate));
}

void CContentBuilder::WriteBubbleSystem(std::string const& name,
                                        SParticleSystemSettingsRecord const& settings)
{
    Write("Data/Particle Systems/" + name + ".psf", CParticleSystemWriter::Write(settings));
    Write("Data/Particle Systems/" + name + ".srf",
          CShaderFileWriter::Write({SShaderRecord::MakeBlended("bubble.jpg", "bubble_alfa.jpg")}));
}

void CContentBuilder::BuildParticleSystem()
{
    // Bubbles rising from a point: a steady stream that drifts and grows on the way up.
    SParticleSystemSettingsRecord settings;
    settings.period = 6.0f;
    settings.rate = {6, 8, 5, 9, 6, 7};
    settings.lifetime = {4, 4, 4, 4, 4, 4};
    for (int k = 0; k < 6; ++k) {
        settings.direction[k] = CVector3(0.0f, 0.0f, 1.0f);
        settings.spread[k] = CVector3(0.25f, 0.25f, 0.05f);
        float const age = static_cast<float>(k) / 5.0f;
        settings.colour[k] = CVector4(0.85f, 0.95f, 1.0f, k == 5 ? 0.0f : 0.8f);
        settings.size[k] = 0.05f + 0.05f * age;
        settings.speed[k] = 0.012f + 0.006f * age;
    }
    WriteBubbleSystem("bubbles", settings);
    WriteBlendedTexture("bubble", CTexturePainter::BubbleColour(), CTexturePainter::BubbleAlpha());
}

void CContentBuilder::BuildFishPacks()
{
    // Two packs over the same species: "Reef" with the first skins, "Lagoon" with the second.
    auto const& species = GetFishSpecies();
    char const* const packs[] = {"Reef", "Lagoon"};
    char const* const titles[] = {"Reef Fishes", "Lagoon Fishes"};
    for (int pack = 0; pack < 2; ++pack) {
        Write(std::string("Data/FishPacks/") + packs[pack] + ".fsp",
              CFishDataWriter::WritePack(titles[pack], static_cast<std::int32_t>(species.size())));
        for (std::size_t i = 0; i < species.size(); ++i) {
            SFishRecord fish;
            fish.model = Format("fish%d.mlf", static_cast<int>(i) + 1);
            fish.variant = pack + 1;
            fish.sizeDivisor = FishSizeDivisor;
            fish.minimumSpeed = 0.55f;
            fish.maximumSpeed = 1.0f;
            Write(std::string("Data/FishPacks/") + packs[pack] +
                      Format("/Fish %d/fish.dat", static_cast<int>(i)),
                  CFishDataWriter::WriteFish(fish));
            // What the Settings program shows for the fish: its name and its portrait.
            std::string name = species[i].name;
            name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
            Write(std::string("Data/FishPacks/") + packs[pack] +
                      Format("/Fish %d/name.txt", static_cast<int>(i)),
                  std::vector<std::uint8_t>(name.begin(), name.end()));
            if (i < m_fishPortraits.size() && static_cast<std::size_t>(pack) < m_fishPortraits[i].size())
                Write(std::string("Data/Textures/Settings/Fish/") + packs[pack] +
                          Format("/fish%d.tga", static_cast<int>(i)),
                      m_fishPortraits[i][static_cast<std::size_t>(pack)]);
        }
    }
    SFishSelection selection;
    for (auto& slot : selection.slots) {
        slot.kind = 1; // a random fish from any enabled pack
    }
    selection.unique = true;
    selection.packsEnabled = {1, 1};
    Write("Data/fishes.dat", CFishDataWriter::WriteSelection(selection));
}

void CContentBuilder::BuildPluginDescriptors()
{
    auto descriptor = [](char const* text) {
        SPluginDescriptor d;
        d.firstText = text;
        d.secondText = text;
        return d;
    };
    Write(std::string("Plugins/") + FishPluginName + ".dat",
          CPluginDescriptorWriter::Write(descriptor("Shoalmind Plugin v1.0")));
    Write(std::string("Plugins/") + PlanktonPluginName + ".dat",
          CPluginDescriptorWriter::Write(descriptor("Plankton Plugin v1.0")));
    SPluginDescriptor star = descriptor("StarFish Plugin v1.0");
    CByteWriter speed;
    speed.WriteFloat(StarfishAnimationSpeed);
    star.ownData = speed.GetBytes();
    Write(std::string("Plugins/") + StarfishPluginName + ".dat", CPluginDescriptorWriter::Write(star));
    Write(std::string("Plugins/") + TankPluginName + ".dat",
          CPluginDescriptorWriter::Write(descriptor("Tank Plugin v1.0")));
}

void CContentBuilder::BuildConfiguration()
{
    // The tank plug-in registers the same values from its layout; the file keeps them in one
    // place for whoever wants to change them.
    std::string text = "// Fish swimming areas and the starfish position, read by the plug-ins.\n";
    char line[128];
    std::snprintf(line, sizeof line, "g_fish_areas_count %d\n", static_cast<int>(tank::FishAreasCount));
    text += line;
    char const* const axes[] = {"x", "y", "z"};
    for (std::size_t i = 0; i < tank::FishAreasCount; ++i) {
        for (int corner = 0; corner < 2; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                float const value = corner == 0 ? tank::FishAreas[i].min[axis] : tank::FishAreas[i].max[axis];
                std::snprintf(line, sizeof line, "g_fish_area_%d_%s_%s %0.4f\n", static_cast<int>(i),
                              corner == 0 ? "min" : "max", axes[axis], value);
                text += line;
            }
        }
    }
    float const starfish[3] = {tank::StarFishX, tank::StarFishY, tank::GetStarFishZ()};
    for (int axis = 0; axis < 3; ++axis) {
        std::snprintf(line, sizeof line, "g_star_fish_%s %0.4f\n", axes[axis], starfish[axis]);
        text += line;
    }
    // The engine keeps its configuration file in the data folder.
    Write("Data/Coralume.ini", std::vector<std::uint8_t>(text.begin(), text.end()));
}

void CContentBuilder::WriteBlendedTexture(std::string const& name, SPicture const& colour,
                                          SPicture const& alpha)
{
    Write("Data/Textures/" + name + ".jpg", CJpegWriter::Write(colour, BlendedTextureQuality));
    // The opacity map is grey: the alpha picture's first channel.
    SPicture grey(alpha.width, alpha.height, 1);
    for (std::size_t i = 0; i < grey.pixels.size(); ++i) {
        grey.pixels[i] = alpha.pixels[i * alpha.channels];
    }
    Write("Data/Textures/" + name + "_alfa.jpg", CJpegWriter::Write(grey, BlendedTextureQuality));
}

void CContentBuilder::WriteSceneryModel(std::string const& name, SModelData const& model,
                                        std::vector<SShaderRecord> const& shaders)
{
    Write("Data/Models/" + name + ".mlf", CModelWriter::Write(model));
    Write("Data/Models/" + name + ".srf", CShaderFileWriter::Write(shaders));
    CVector3 min, max;
    CTankModelBuilder::GetBoundingBox(model, &min, &max);
    // Swaying plants reach past their first frame's box.
    CVector3 const pad(0.5f, 0.5f, 0.2f);
    Write("Data/Models/" + name + ".otf",
          COctreeWriter::Write(COctreeWriter::MakeSingleLeaf(min - pad, max + pad,
                                                             static_cast<std::uint32_t>(model.sets.size()))));
}

void CContentBuilder::BuildTank()
{
    SShaderRecord backdrop = SShaderRecord::MakeOpaque("tank_backdrop.jpg");
    backdrop.stages[0].borderV = SSBT_CLAMP;
    backdrop.stages[0].flags = SSF_TEXTURE; // always magnified: no mip levels
    WriteSceneryModel("tank_backdrop", CTankModelBuilder::Backdrop(), {backdrop});
    Write("Data/Textures/tank_backdrop.jpg", CJpegWriter::Write(CTankTexturePainter::Backdrop(), 92));

    // The sand; the caustic light the tank plug-in lays over everything lit falls on it too.
    WriteSceneryModel("tank_sand", CTankModelBuilder::Sand(), {SShaderRecord::MakeOpaque("tank_sand.jpg")});
    Write("Data/Textures/tank_sand.jpg", CJpegWriter::Write(CTankTexturePainter::Sand(), 92));
    for (unsigned int frame = 0; frame < CTankTexturePainter::CausticFrames; ++frame) {
        Write(Format("Data/Textures/caustic%02d.jpg", static_cast<int>(frame)),
              CJpegWriter::Write(CTankTexturePainter::Caustic(frame), 92));
    }

    for (unsigned int shape = 0; shape < tank::RockShapesCount; ++shape) {
        WriteSceneryModel(Format("tank_rock%d", static_cast<int>(shape)), CTankModelBuilder::Rock(shape),
                          {SShaderRecord::MakeOpaque("tank_rock.jpg")});
    }
    Write("Data/Textures/tank_rock.jpg", CJpegWriter::Write(CTankTexturePainter::Rock(), 92));
    Write("Data/Textures/tank_shadow.jpg", CJpegWriter::Write(CTankTexturePainter::Shadow(), 92));

    // The tank's bubble streams: larger bubbles than the plain stream, wobbling as they rise.
    SParticleSystemSettingsRecord bubbles;
    bubbles.period = 5.0f;
    bubbles.rate = {5, 7, 4, 8, 3, 6};
    bubbles.lifetime = {4.5f, 4.5f, 4.5f, 4.5f, 4.5f, 4.5f};
    for (int k = 0; k < 6; ++k) {
        float const age = static_cast<float>(k) / 5.0f;
        bubbles.direction[k] = CVector3(k % 2 ? 0.08f : -0.08f, 0.0f, 1.0f);
        bubbles.spread[k] = CVector3(0.18f, 0.18f, 0.05f);
        bubbles.colour[k] = CVector4(0.9f, 0.97f, 1.0f, k == 5 ? 0.0f : 0.85f);
        bubbles.size[k] = 0.07f + 0.08f * age;
        bubbles.speed[k] = 0.014f + 0.008f * age;
    }
    WriteBubbleSystem("tank_bubbles", bubbles);

    SShaderRecord grass = SShaderRecord::MakeOpaque("tank_grass.jpg");
    grass.stages[0].borderU = grass.stages[0].borderV = SSBT_CLAMP;
    // Thin blades catch little of the light from above; a faint glow keeps them green.
    grass.emission = CVector4(0.18f, 0.22f, 0.16f, 1.0f);
    WriteSceneryModel("tank_grass", CTankModelBuilder::Grass(), {grass});
    Write("Data/Textures/tank_grass.jpg", CJpegWriter::Write(CTankTexturePainter::Grass(), 92));
    SShaderRecord bush = SShaderRecord::MakeOpaque("tank_bush.jpg");
    bush.stages[0].borderU = bush.stages[0].borderV = SSBT_CLAMP;
    bush.emission = CVector4(0.2f, 0.14f, 0.12f, 1.0f);
    WriteSceneryModel("tank_bush", CTankModelBuilder::Bush(), {bush});
    Write("Data/Textures/tank_bush.jpg", CJpegWriter::Write(CTankTexturePainter::Bush(), 92));
}

void CContentBuilder::BuildSettingsPictures()
{
    std::string const folder = "Data/Textures/Settings/";
    Write(folder + "panel.tga", CTgaWriter::Write(CSettingsPictures::Panel()));
    for (int frame = 0; frame < 3; ++frame) {
        Write(Format((folder + "button%d.tga").c_str(), frame),
              CTgaWriter::Write(CSettingsPictures::Button(static_cast<unsigned int>(frame))));
        Write(Format((folder + "check%d.tga").c_str(), frame),
              CTgaWriter::Write(CSettingsPictures::CheckBox(static_cast<unsigned int>(frame))));
    }
    Write(folder + "combo.tga", CTgaWriter::Write(CSettingsPictures::ComboBox()));
    Write(folder + "list.tga", CTgaWriter::Write(CSettingsPictures::List()));
    Write(folder + "slider.tga", CTgaWriter::Write(CSettingsPictures::Slider()));
    Write(folder + "toddler.tga", CTgaWriter::Write(CSettingsPictures::Toddler()));
}

} // namespace content
