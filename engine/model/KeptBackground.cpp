#include "model/KeptBackground.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/Config.h"
#include "model/Model.h"
#include "render/Camera.h"
#include "render/Light.h"
#include "render/LightManager.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"

namespace
{
// FNV-1a over the bytes of what is added.
class CFingerprint
{
public:
    template <class T> void Add(T const& value)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char byte : bytes)
            m_value = (m_value ^ byte) * Prime;
    }
    void Add(CMatrix4x4 const& matrix)
    {
        for (unsigned int i = 0; i < 16; ++i)
            Add(matrix[i]);
    }
    void Add(CVector3 const& vector) { Add(std::array<float, 3>{vector.x, vector.y, vector.z}); }
    void Add(CVector4 const& vector) { Add(std::array<float, 4>{vector.x, vector.y, vector.z, vector.w}); }
    std::uint64_t Get() const { return m_value; }

private:
    static constexpr std::uint64_t Prime = 0x100000001B3ull;
    std::uint64_t m_value = 0xCBF29CE484222325ull;
};

// The frames of animated stages and the placement of textures go into `frames`, the rest into
// `fingerprint`.
void AddShader(CFingerprint& fingerprint, CFingerprint& frames, CShaderDescriptor const* shader)
{
    fingerprint.Add(shader);
    if (!shader)
        return;
    for (unsigned int i = 0; i < shader->GetStagesCount(); ++i) {
        SShaderDescriptorStage const& stage = *shader->GetStage(i);
        fingerprint.Add(stage.flags);
        frames.Add(stage.IsAnimated() ? std::floor(stage.time) : 0.0f);
        frames.Add(std::array<float, 4>{stage.scaleU, stage.scaleV, stage.offsetU, stage.offsetV});
    }
}

void AddModel(CFingerprint& fingerprint, CFingerprint& frames, CModel const* model,
              CLightManager const* lights)
{
    // A lit model shows the light pattern of the moment.
    bool const patterned =
        lights && (model->GetProperties() & MP_LIGHTING) && lights->GetPattern().IsActive();
    frames.Add(patterned ? lights->GetPattern().GetGeneration() : std::uint64_t{0});
    fingerprint.Add(model);
    fingerprint.Add(model->GetProperties());
    fingerprint.Add(model->GetMatrix());
    if (CCamera const* camera = model->GetCamera())
        fingerprint.Add(camera->GetClipMatrix());
    for (unsigned int i = 0; i < model->GetVisibleTriangleSetsCount(); ++i) {
        unsigned int const index = model->GetVisibleTriangleSet(i);
        fingerprint.Add(index);
        if (TriangleSet const* set = model->GetTriangleSet(index))
            AddShader(fingerprint, frames, set->GetShaderDescriptor());
    }
}

bool IsBlended(CModel const* model)
{
    for (unsigned int i = 0; i < model->GetVisibleTriangleSetsCount(); ++i) {
        TriangleSet const* set = model->GetTriangleSet(model->GetVisibleTriangleSet(i));
        CShaderDescriptor const* shader = set ? set->GetShaderDescriptor() : nullptr;
        if (shader && (shader->GetProperties() & SP_BLENDING))
            return true;
    }
    return false;
}

void AddLights(CFingerprint& fingerprint, CLightManager const* lights)
{
    fingerprint.Add(lights->GetGlobalAmbient());
    for (unsigned int i = 0; i < CLightManager::MaxLights; ++i) {
        CLight const& light = lights->GetLightAt(i);
        fingerprint.Add(!light.IsFree() && light.IsEnabled());
        if (light.IsFree() || !light.IsEnabled())
            continue;
        fingerprint.Add(light.GetType());
        fingerprint.Add(light.GetPosition());
        fingerprint.Add(light.GetDirection());
        fingerprint.Add(light.GetAmbientColor());
        fingerprint.Add(light.GetDiffuseColor());
        fingerprint.Add(light.GetSpecularColor());
        for (auto type : {LAT_CONSTANT, LAT_LINEAR, LAT_QUADRATIC})
            fingerprint.Add(light.GetAttenuation(type));
        fingerprint.Add(light.GetSpotCutOff());
        fingerprint.Add(light.GetSpotExponent());
    }
}

void AddRenderSettings(CFingerprint& fingerprint, CConfig* config)
{
    SMainSettings const& settings = *config->GetMainSettings();
    fingerprint.Add(std::array<bool, 5>{settings.r_use_mip_mapping, settings.r_show_octree_nodes,
                                        settings.r_show_faces_edges, settings.r_show_faces_normals,
                                        settings.r_show_mip_maps});
    fingerprint.Add(settings.r_texture_anisotropy);
}
} // namespace

bool CKeptBackground::IsBackground(CModel const* model)
{
    unsigned int const properties = model->GetProperties();
    return (properties & MP_BACKGROUND) && (properties & MP_OPAQUE) && (properties & MP_KINDS) == MP_STATIC;
}

std::size_t CKeptBackground::Prepare(std::vector<CModel*> const& drawList, CLightManager const* lights,
                                     CConfig* config)
{
    if (!m_enabled) {
        m_hasCopy = false;
        return 0;
    }
    auto const end = std::partition_point(drawList.begin(), drawList.end(), IsBackground);
    std::size_t const count = static_cast<std::size_t>(end - drawList.begin());
    CFingerprint shape;
    shape.Add(count);
    m_frames.resize(count);
    m_blended.assign(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        CFingerprint frames;
        AddModel(shape, frames, drawList[i], lights);
        m_frames[i] = frames.Get();
        m_blended[i] = IsBlended(drawList[i]);
    }
    if (lights)
        AddLights(shape, lights);
    if (config)
        AddRenderSettings(shape, config);
    m_shape = shape.Get();
    return count;
}

bool CKeptBackground::IsCurrent() const
{
    return CanRepaint() && m_frames == m_keptFrames;
}

bool CKeptBackground::CanRepaint() const
{
    return m_enabled && m_hasCopy && m_shape == m_keptShape && m_frames.size() == m_keptFrames.size() &&
           m_framesFromCopy < MaxFramesFromOneCopy;
}

bool CKeptBackground::NeedsRepaint(std::size_t index) const
{
    auto const changed = [this](std::size_t i) {
        return i >= m_keptFrames.size() || i >= m_frames.size() || m_frames[i] != m_keptFrames[i];
    };
    if (changed(index))
        return true;
    if (index >= m_blended.size() || !m_blended[index])
        return false;
    for (std::size_t under = 0; under < index; ++under) {
        if (changed(under))
            return true;
    }
    return false;
}

void CKeptBackground::Kept(bool succeeded, bool whole)
{
    m_hasCopy = succeeded;
    m_keptShape = m_shape;
    m_keptFrames = m_frames;
    if (whole)
        m_framesFromCopy = 0;
    if (!succeeded)
        m_enabled = false;
}
