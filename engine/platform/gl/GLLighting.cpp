#include "platform/gl/GLLighting.h"

#include "math/Angles.h"
#include "platform/gl/GLStateTranslation.h"
#include "platform/gl/OpenGL.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr float MaxShininess = 128.0f;
constexpr float MaxSpotCutoffDegrees = 90.0f;
constexpr float NoSpotCutoffDegrees = 180.0f;

void SetMaterialColor(GLenum which, D3DCOLORVALUE const& color)
{
    GLfloat values[4];
    ColorValueToFloats(color, values);
    glMaterialfv(GL_FRONT_AND_BACK, which, values);
}

void SetLightColor(GLenum light, GLenum which, D3DCOLORVALUE const& color)
{
    GLfloat values[4];
    ColorValueToFloats(color, values);
    glLightfv(light, which, values);
}

void ApplyDirectionalLight(GLenum name, D3DLIGHT8 const& light)
{
    GLfloat direction[4] = {-light.Direction.x, -light.Direction.y, -light.Direction.z, 0.0f};
    glLightfv(name, GL_POSITION, direction);
    glLightf(name, GL_SPOT_CUTOFF, NoSpotCutoffDegrees);
    glLightf(name, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(name, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(name, GL_QUADRATIC_ATTENUATION, 0.0f);
}

void ApplyPointOrSpotLight(GLenum name, D3DLIGHT8 const& light)
{
    GLfloat position[4] = {light.Position.x, light.Position.y, light.Position.z, 1.0f};
    glLightfv(name, GL_POSITION, position);
    float constant = light.Attenuation0;
    if (constant == 0.0f && light.Attenuation1 == 0.0f && light.Attenuation2 == 0.0f) {
        constant = 1.0f;
    }
    glLightf(name, GL_CONSTANT_ATTENUATION, constant);
    glLightf(name, GL_LINEAR_ATTENUATION, light.Attenuation1);
    glLightf(name, GL_QUADRATIC_ATTENUATION, light.Attenuation2);
    if (light.Type != D3DLIGHT_SPOT) {
        glLightf(name, GL_SPOT_CUTOFF, NoSpotCutoffDegrees);
        return;
    }
    GLfloat direction[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
    glLightfv(name, GL_SPOT_DIRECTION, direction);
    float const cutoff = std::clamp(light.Phi * 0.5f * math::DegreesPerRadian, 0.0f, MaxSpotCutoffDegrees);
    glLightf(name, GL_SPOT_CUTOFF, cutoff);
    glLightf(name, GL_SPOT_EXPONENT,
             light.Theta >= light.Phi ? 0.0f : std::clamp(light.Falloff, 0.0f, MaxShininess));
}
} // namespace

void ApplyGLMaterial(D3DMATERIAL8 const& material, bool specularEnabled,
                     SMaterialColourSources const& sources)
{
    SetMaterialColor(GL_DIFFUSE, material.Diffuse);
    SetMaterialColor(GL_AMBIENT, material.Ambient);
    SetMaterialColor(GL_EMISSION, material.Emissive);
    SetMaterialColor(GL_SPECULAR, specularEnabled ? material.Specular : D3DCOLORVALUE{});
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.Power, 0.0f, MaxShininess));
    // Without specular light the highlight colour is black: a single colour spares every
    // fragment interpolating and adding it.
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                  specularEnabled ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);

    // One material colour may follow the vertex colour.
    if (sources.diffuse || sources.ambient || sources.emissive) {
        glColorMaterial(GL_FRONT_AND_BACK, sources.diffuse && sources.ambient ? GL_AMBIENT_AND_DIFFUSE
                                           : sources.diffuse                  ? GL_DIFFUSE
                                           : sources.ambient                  ? GL_AMBIENT
                                                                              : GL_EMISSION);
        glEnable(GL_COLOR_MATERIAL);
    } else {
        glDisable(GL_COLOR_MATERIAL);
    }
}

void ApplyGLLights(D3DMATRIX const& view, D3DLIGHT8 const* lights, bool const* enabled, unsigned int count)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view._11);
    for (unsigned int i = 0; i < count; ++i) {
        if (!enabled[i]) {
            continue;
        }
        D3DLIGHT8 const& light = lights[i];
        GLenum const name = GL_LIGHT0 + i;
        SetLightColor(name, GL_DIFFUSE, light.Diffuse);
        SetLightColor(name, GL_SPECULAR, light.Specular);
        SetLightColor(name, GL_AMBIENT, light.Ambient);
        if (light.Type == D3DLIGHT_DIRECTIONAL) {
            ApplyDirectionalLight(name, light);
        } else {
            ApplyPointOrSpotLight(name, light);
        }
    }
}
} // namespace platform
