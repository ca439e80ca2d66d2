// Throws out of its Create.
#include "RecordingPlugin.h"
#include "core/Errors.h"

#include <stdexcept>

namespace
{
class CThrowingPlugin : public CRecordingPlugin
{
public:
    CThrowingPlugin() : CRecordingPlugin("throwing_create") {}
    void Create(CEngine*, CCamera*) override { throw std::runtime_error("create broke"); }
};
} // namespace

LAGOONIX_DEFINE_PLUGIN(CThrowingPlugin, 300, 2, 100, "Throwing Plugin v1.0")
