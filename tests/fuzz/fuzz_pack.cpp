// Random bytes as a pack file: loading must reject or accept them cleanly, and every
// member an accepted pack lists must be readable within its bounds.
#include "../files/PackImage.h"

#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/PackFile.h"

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
        messages.Create("fuzz_pack", false, nullptr);
        memory.Create(&messages);
        path = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/tidewell-fuzz-pack-") +
               std::to_string(::getpid()) + ".pak";
    }
    ~SFuzzContext() { std::remove(path.c_str()); }

    CMessageManager messages;
    CMemoryManager memory;
    std::string path;
};

SFuzzContext& Context()
{
    static SFuzzContext context;
    return context;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    using packimage::Bytes;
    seeds.push_back(packimage::Build({}));
    seeds.push_back(packimage::Build({{"Data\\a.txt", Bytes("alpha")}, {"data\\B.bin", Bytes("\x01\x02")}}));
    seeds.push_back(
        packimage::Build({{"x", {}}, {"X", Bytes("dup")}, {"Data\\Models\\fish.mlf", Bytes("m")}}));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SFuzzContext& context = Context();
    std::FILE* file = std::fopen(context.path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    context.messages.ClearMessagesBuffer();
    CPackFile pack;
    if (pack.Load(&context.messages, &context.memory, context.path.c_str())) {
        unsigned int count = 0;
        pack.FindFiles("", "*", &count, nullptr);
        std::vector<char> names(static_cast<std::size_t>(count) * CPackFile::NameLength + 1);
        pack.FindFiles("", "*", &count, names.data());
        for (unsigned int i = 0; i < count; ++i) {
            char const* name = names.data() + static_cast<std::size_t>(i) * CPackFile::NameLength;
            unsigned int memberSize = 0;
            if (!pack.GetFileSize(name, &memberSize) || memberSize > size)
                std::abort();
            std::vector<std::uint8_t> member(memberSize + 1);
            pack.GetFileData(name, member.data());
        }
    }
    return 0;
}
