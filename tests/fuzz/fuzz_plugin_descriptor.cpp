// Random bytes as a plug-in descriptor "<name>.dat": reading must give the file back, or
// log an error and give null, and an accepted descriptor's texts end within their buffers.
#include "../../plugins/base/Lagoonix.cpp"

#include "core/Engine.h"
#include "core/FileManager.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
class CDescriptorReader : public CLagoonix
{
public:
    void Create(CEngine*, CCamera*) override {}
    void Destroy() override {}
    void Refresh() override {}
};

struct SFuzzContext
{
    SFuzzContext()
    {
        directory = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                    std::string("/tidewell-fuzz-dat-") + std::to_string(::getpid());
        // Only the engine's message and file managers are needed by the reader.
        engine = new CEngine;
        engine->GetMessageManager()->Create("fuzz_plugin_descriptor", false, nullptr);
        engine->GetMemoryManager()->Create(engine->GetMessageManager());
        CFileManager::CreateFilePath((directory + "\\").c_str());
        engine->GetFileManager()->Create(engine->GetMessageManager(), engine->GetMemoryManager(),
                                         directory.c_str(), nullptr);
    }
    ~SFuzzContext() { CFileManager::Remove(directory.c_str()); }

    std::string directory;
    CEngine* engine = nullptr;
};

SFuzzContext& Context()
{
    static SFuzzContext context;
    return context;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void AppendText(std::vector<std::uint8_t>* bytes, char const* text)
{
    bytes->insert(bytes->end(), text, text + std::strlen(text) + 1);
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    std::vector<std::uint8_t> descriptor = {1, 1};
    AppendText(&descriptor, "Fish school");
    AppendText(&descriptor, "Fish swimming in schools");
    seeds.push_back(descriptor);
    std::vector<std::uint8_t> withData = {0, 0};
    AppendText(&withData, "");
    AppendText(&withData, "Star fish");
    for (int i = 0; i < 8; ++i)
        withData.push_back(static_cast<std::uint8_t>(0x3F * (i % 2)));
    seeds.push_back(withData);
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SFuzzContext& context = Context();
    std::string const path = context.directory + "/plugin.dat";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    context.engine->GetMessageManager()->ClearMessagesBuffer();
    CDescriptorReader reader;
    CFile* rest = reader.ReadConfigFile(context.engine, "plugin.dat");
    if (!rest)
        return 0;
    Require(size >= 4);
    Require(std::memchr(reader.GetFirstText(), 0, CLagoonix::TextLength) != nullptr);
    Require(std::memchr(reader.GetSecondText(), 0, CLagoonix::TextLength) != nullptr);
    Require(reader.GetFirstDescriptorByte() == data[0] && reader.IsEnabled() == (data[1] != 0));
    CDescriptorReader copy(reader);
    Require(std::strcmp(copy.GetFirstText(), reader.GetFirstText()) == 0);
    rest->Close();
    return 0;
}
