#pragma once

#include "ModelWriter.h"
#include "ParticleSystemWriter.h"
#include "Picture.h"
#include "ShaderFileWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

// Writes the installation folder: Data (models with their shader and octree files,
// textures, font, sounds, particle system, fish packs and selection), the plug-in
// descriptors in Plugins and the configuration file (Data\Coralume.ini). Every file is generated from fixed
// seeds, so two builds give the same bytes.
class CContentBuilder
{
public:
    // The descriptor file names beside the plug-in libraries.
    static constexpr char const* FishPluginName = "Shoalmind";
    static constexpr char const* PlanktonPluginName = "Plankton";
    static constexpr char const* StarfishPluginName = "StarFish";
    static constexpr char const* TankPluginName = "Tank";

    // Throws std::exception on failure. With `pack`, the Data folder is also stored as the
    // pack "Data\coralume.pak" (members named "Data\...").
    void Build(std::string const& outDirectory, bool pack);

    // Paths relative to the output folder with '/' separators, in writing order.
    std::vector<std::string> const& GetWrittenFiles() const { return m_written; }
    std::size_t GetWrittenFilesCount() const { return m_written.size(); }

private:
    void Write(std::string const& relativePath, std::vector<std::uint8_t> const& bytes);
    void BuildFish();
    void BuildStarfish();
    void BuildPictures();
    void BuildFont();
    void BuildSounds();
    void BuildParticleSystem();
    void BuildTank();
    void BuildSettingsPictures();
    // A particle system file and its shader file, drawn with the bubble texture.
    void WriteBubbleSystem(std::string const& name, SParticleSystemSettingsRecord const& settings);
    // Data/Textures/<name>.jpg and its opacity map <name>_alfa.jpg.
    void WriteBlendedTexture(std::string const& name, SPicture const& colour, SPicture const& alpha);
    void WriteSceneryModel(std::string const& name, SModelData const& model,
                           std::vector<SShaderRecord> const& shaders);
    void BuildFishPacks();
    void BuildPluginDescriptors();
    void BuildConfiguration();

    std::string m_outDirectory;
    std::vector<std::string> m_written;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> m_dataFiles;
    // Each species' portrait for each skin (TGA images), for the fish packs' entries.
    std::vector<std::vector<std::vector<std::uint8_t>>> m_fishPortraits;
};

} // namespace content
