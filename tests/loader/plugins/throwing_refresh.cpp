// Throws out of its Refresh.
#include "RecordingPlugin.h"
#include "core/Errors.h"

#include <stdexcept>

namespace
{
class CThrowingPlugin : public CRecordingPlugin
{
public:
    CThrowingPlugin() : CRecordingPlugin("throwing_refresh") {}
    void Refresh() override { throw CFileError("refresh broke"); }
};
} // namespace

LAGOONIX_DEFINE_PLUGIN(CThrowingPlugin, 200, 2, 100, "Throwing Plugin v1.0")
