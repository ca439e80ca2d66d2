// Random bytes as a shader file: reading must accept or reject them cleanly, and an
// accepted descriptor must be usable and save and read back to an equal one.
#include "../shader/ShaderFileImage.h"

#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/ShaderDescriptor.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
struct SFuzzContext
{
    SFuzzContext()
    {
        directory = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                    std::string("/tidewell-fuzz-srf-") + std::to_string(::getpid());
        messages.Create("fuzz_shader_file", false, nullptr);
        memory.Create(&messages);
        CFileManager::CreateFilePath((directory + "\\").c_str());
        files.Create(&messages, &memory, directory.c_str(), nullptr);
    }
    ~SFuzzContext() { CFileManager::Remove(directory.c_str()); }

    std::string directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
};

SFuzzContext& Context()
{
    static SFuzzContext context;
    return context;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    shaderfile::SStage still;
    shaderfile::SStage animated;
    animated.flags = 0x001 | 0x002 | 0x010 | 0x020;
    animated.frames = 12;
    animated.speed = 4.0f;
    animated.opacity = "mask.tga";
    shaderfile::SRecord record;
    record.stages = {still, animated};
    shaderfile::SRecord empty;
    for (std::uint32_t version = 200; version <= 203; ++version)
        seeds.push_back(shaderfile::File(version, {record, empty}));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SFuzzContext& context = Context();
    std::string const path = context.directory + "/in.srf";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    for (unsigned int index = 0; index < 3; ++index) {
        context.messages.ClearMessagesBuffer();
        CShaderDescriptor descriptor;
        bool const loaded =
            descriptor.Create(&context.messages, &context.memory, &context.files, nullptr, "in.srf", index);
        if (descriptor.IsFree() || descriptor.GetStagesCount() > CShaderDescriptor::MaxStages)
            std::abort();
        if (!loaded) {
            if (descriptor.GetStagesCount() != 0 || descriptor.GetProperties() != 0)
                std::abort();
            continue;
        }
        for (unsigned int i = 0; i < descriptor.GetStagesCount(); ++i) {
            SShaderDescriptorStage const* stage = descriptor.GetStage(i);
            if (stage->frames == 0 || (!stage->IsAnimated() && stage->frames != 1))
                std::abort();
        }
        descriptor.Refresh();

        if (!CShaderDescriptor::SaveToFile(&context.messages, &context.memory, &context.files, 1, &descriptor,
                                           "out.srf"))
            std::abort();
        CShaderDescriptor again;
        if (!again.Create(&context.messages, &context.memory, &context.files, nullptr, "out.srf", 0) ||
            again.GetStagesCount() != descriptor.GetStagesCount() ||
            again.GetProperties() != descriptor.GetProperties())
            std::abort();
    }
    return 0;
}
