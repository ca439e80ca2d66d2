#include "ParticleSystemWriter.h"

#include "ByteWriter.h"

namespace content
{

std::vector<std::uint8_t> CParticleSystemWriter::Write(SParticleSystemSettingsRecord const& settings)
{
    CByteWriter out;
    out.WriteHeader("TWPSF", Version);
    out.WriteFloat(settings.period);
    for (float value : settings.rate) {
        out.WriteFloat(value);
    }
    for (float value : settings.lifetime) {
        out.WriteFloat(value);
    }
    for (auto const& value : settings.direction) {
        out.WriteVector3(value);
    }
    for (auto const& value : settings.spread) {
        out.WriteVector3(value);
    }
    for (auto const& value : settings.colour) {
        out.WriteVector4(value);
    }
    for (float value : settings.size) {
        out.WriteFloat(value);
    }
    for (float value : settings.speed) {
        out.WriteFloat(value);
    }
    out.FinishHeader();
    return out.TakeBytes();
}

} // namespace content
