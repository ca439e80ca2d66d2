#include "TankCaustics.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "render/LightManager.h"
#include "render/ShaderManager.h"
#include "render/Texture2D.h"
#include "render/TextureManager.h"

namespace
{
constexpr char const* TextureNameFormat = "tank caustics %u";
constexpr unsigned int TextureBitsPerPixel = 24;
constexpr unsigned int TextureBytesPerPixel = TextureBitsPerPixel / 8;
} // namespace

void CTankCaustics::Create(CEngine* engine, float const sunDirection[3], float strength)
{
    Destroy();
    m_engine = engine;
    m_strength = strength;
    m_time = 0.0;
    m_sinceWrite = 0.0f;
    // A point at height z takes the light that crossed the floor's plane this far along x and y.
    if (sunDirection[2] < 0.0f) {
        m_slantX = -sunDirection[0] / sunDirection[2];
        m_slantY = -sunDirection[1] / sunDirection[2];
    }
    if (!LoadFrames(&m_flow)) {
        engine->GetMessageManager()->Write("Tank: no caustic pictures, the tank has no caustics");
        return;
    }
    m_picture.Create(engine->GetMessageManager(), engine->GetMemoryManager(), m_flow.GetWidth(),
                     m_flow.GetHeight(), TextureBitsPerPixel);
    CTextureManager* textures = engine->GetShaderManager()->GetTextureManager();
    for (unsigned int i = 0; i < Layers.size(); ++i) {
        m_flow.Compose(0.0f, m_strength, Layers[i].gain, m_picture.GetData(), TextureBytesPerPixel);
        char name[64];
        std::snprintf(name, sizeof name, TextureNameFormat, i);
        m_textureIndices[i] = textures->AddTexture2D(TMM_MIP_MAPPING, name, m_picture);
        m_textures[i] = textures->GetTexture2D(m_textureIndices[i]);
        if (!m_textures[i] || !m_textures[i]->GetTextureD3D()) {
            Destroy();
            return;
        }
    }
    Place();
}

bool CTankCaustics::LoadFrames(CCausticFlow* flow)
{
    std::vector<std::vector<std::uint8_t>> frames;
    unsigned int width = 0, height = 0;
    for (unsigned int frame = 0; frame < FramesCount; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, FrameFormat, frame);
        CImage image;
        if (!image.LoadFromFile(m_engine->GetMessageManager(), m_engine->GetMemoryManager(),
                                m_engine->GetFileManager(), CTextureManager::GetTexturePath(name).c_str()))
            return false;
        if (frame == 0) {
            width = image.GetWidth();
            height = image.GetHeight();
        }
        // Textures are made of whole powers of two; every picture has the first one's size.
        if (!CTexture2D::IsPowerOfTwo(width) || !CTexture2D::IsPowerOfTwo(height) ||
            image.GetWidth() != width || image.GetHeight() != height)
            return false;
        std::vector<std::uint8_t> levels(static_cast<std::size_t>(width) * height);
        for (unsigned int y = 0; y < height; ++y) {
            for (unsigned int x = 0; x < width; ++x)
                image.GetPixel(x, y, &levels[static_cast<std::size_t>(y) * width + x]);
        }
        frames.push_back(std::move(levels));
    }
    return flow->SetFrames(width, height, std::move(frames));
}

void CTankCaustics::Destroy()
{
    if (!m_engine)
        return;
    m_engine->GetLightManager()->GetPattern().Clear();
    CTextureManager* textures = m_engine->GetShaderManager()->GetTextureManager();
    for (unsigned int i = 0; i < m_textures.size(); ++i) {
        if (m_textures[i])
            textures->RemoveTexture2D(m_textureIndices[i]);
        m_textures[i] = nullptr;
    }
    m_picture.Destroy();
    m_engine = nullptr;
}

bool CTankCaustics::Refresh(float elapsed, float strength)
{
    if (!IsActive() || !(elapsed > 0.0f))
        return false;
    m_strength = strength;
    m_time += static_cast<double>(elapsed);
    m_sinceWrite += elapsed;
    if (m_sinceWrite < 1.0f / UpdatesPerSecond)
        return false;
    m_sinceWrite = std::fmod(m_sinceWrite, 1.0f / UpdatesPerSecond);
    Write();
    Place();
    return true;
}

void CTankCaustics::Write()
{
    for (unsigned int i = 0; i < Layers.size(); ++i) {
        double const position = std::fmod(m_time * Layers[i].framesPerSecond, double{FramesCount});
        m_flow.Compose(static_cast<float>(position), m_strength, Layers[i].gain, m_picture.GetData(),
                       TextureBytesPerPixel);
        m_textures[i]->Update(m_picture);
    }
    m_engine->GetLightManager()->GetPattern().Touch();
}

void CTankCaustics::Place()
{
    CLightPattern& pattern = m_engine->GetLightManager()->GetPattern();
    for (unsigned int i = 0; i < Layers.size(); ++i) {
        SLayerPlan const& plan = Layers[i];
        float const c = std::cos(plan.angle) / plan.period, s = std::sin(plan.angle) / plan.period;
        double const shiftX = plan.driftX * m_time, shiftY = plan.driftY * m_time;
        CLightPattern::SLayer layer;
        layer.texture = m_textures[i];
        layer.stillOnly = plan.stillOnly;
        // u = c (x + slantX z - shiftX) + s (y + slantY z - shiftY), v turned a quarter; the
        // offsets are kept within one picture, where the texture repeats.
        layer.u = {c, s, c * m_slantX + s * m_slantY,
                   -static_cast<float>(std::fmod(c * shiftX + s * shiftY, 1.0))};
        layer.v = {-s, c, -s * m_slantX + c * m_slantY,
                   -static_cast<float>(std::fmod(-s * shiftX + c * shiftY, 1.0))};
        pattern.SetLayer(i, layer);
    }
}
