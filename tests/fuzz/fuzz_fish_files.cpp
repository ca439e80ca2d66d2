// Random bytes as the fish school's files: the selection "fishes.dat" and a fish record
// "fish.dat". Reading gives sane values or throws the file error, never reads past the file.
#include "../../plugins/fish/FishFiles.cpp"

#include "core/Errors.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr char PackName[] = "Reef";

struct SFuzzContext
{
    SFuzzContext()
    {
        directory = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                    std::string("/tidewell-fuzz-fish-") + std::to_string(::getpid());
        messages.Create("fuzz_fish_files", false, nullptr);
        memory.Create(&messages);
        CFileManager::CreateFilePath((directory + "\\Data\\FishPacks\\Reef\\Fish 1\\").c_str());
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

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool WriteFile(std::string const& path, std::uint8_t const* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    return true;
}

void PutInt32(std::vector<std::uint8_t>* bytes, std::int32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes->push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * b)));
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    std::vector<std::uint8_t> selection;
    for (int slot = 0; slot < 10; ++slot) {
        PutInt32(&selection, slot % 3);
        PutInt32(&selection, slot);
    }
    selection.push_back(1);
    PutInt32(&selection, 3);
    selection.insert(selection.end(), {1, 0, 1});
    seeds.push_back(selection);
    std::vector<std::uint8_t> fish(SFishFile::Size, 0);
    std::memcpy(fish.data(), "Data\\Models\\angelfish.mlf", 26);
    float const divisor = 3.0f;
    std::memcpy(fish.data() + 260, &divisor, 4);
    seeds.push_back(fish);
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SFuzzContext& context = Context();
    context.messages.ClearMessagesBuffer();

    if (!WriteFile(context.directory + "/fishes.dat", data, size))
        return 0;
    SFishPack packs[3];
    for (int i = 0; i < 3; ++i)
        packs[i].fishCount = i * 4;
    SFishSelection selection;
    try {
        selection.Read(&context.files, "fishes.dat", packs, 3);
        bool anyEnabled = false;
        for (SFishPack const& pack : packs)
            anyEnabled = anyEnabled || pack.enabled != 0;
        Require(anyEnabled);
        CFishRandom random(static_cast<unsigned int>(size));
        selection.DrawRandomSlots(packs, 3, random);
        for (auto const& slot : selection.slots)
            Require(slot.kind >= SFishSelection::EmptyKind && slot.kind < SFishSelection::FirstPackKind + 3);
        Require(selection.GetFishSlotsCount() <= SFishSelection::SlotsCount);
    } catch (CFileError const&) {
    }

    if (!WriteFile(context.directory + "/Data/FishPacks/Reef/Fish 1/fish.dat", data, size))
        return 0;
    SFishFile fish;
    try {
        fish.Read(&context.files, PackName, 1);
        Require(size >= SFishFile::Size);
        Require(std::memchr(fish.modelFileName, 0, SFishFile::NameLength) != nullptr);
        Require(fish.sizeDivisor > 0.0f && std::isfinite(fish.sizeDivisor));
    } catch (CFileError const&) {
        Require(size < SFishFile::Size);
    }
    return 0;
}
