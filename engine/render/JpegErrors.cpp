#include "render/JpegErrors.h"

#include <jerror.h>

namespace
{
[[noreturn]] void LeaveOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<SJpegErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr)
{}

void EmitMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER)
        LeaveOnError(info);
}
} // namespace

jpeg_error_mgr* InstallJpegErrorManager(SJpegErrorManager* errors)
{
    jpeg_std_error(&errors->base);
    errors->base.error_exit = LeaveOnError;
    errors->base.emit_message = EmitMessage;
    errors->base.output_message = IgnoreMessage;
    return &errors->base;
}
