#include "FishFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FishRandom.h"
#include "core/File.h"
#include "core/FileManager.h"

namespace
{
constexpr unsigned int ReadMode = 2;
constexpr unsigned int SlotsBytes = SFishSelection::SlotsCount * 8;

std::int32_t ReadInt32(std::uint8_t const* bytes)
{
    std::uint32_t const value =
        static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    std::int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

float ReadFloat(std::uint8_t const* bytes)
{
    std::int32_t const bits = ReadInt32(bytes);
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

// The fish numbers that a single installed pack never hands out at random.
bool IsSkippedInSinglePack(std::int32_t number)
{
    return number == 8 || number == 14 || number == 16 || number == 28;
}
} // namespace

void SFishFile::Parse(std::uint8_t const* bytes)
{
    std::memcpy(modelFileName, bytes, NameLength);
    modelFileName[NameLength - 1] = '\0';
    textureVariant = ReadInt32(bytes + 256);
    sizeDivisor = ReadFloat(bytes + 260);
    if (!(sizeDivisor > 0.0f) || !std::isfinite(sizeDivisor))
        sizeDivisor = 1.0f;
    minimumWantedSpeed = ReadFloat(bytes + 264);
    maximumWantedSpeed = ReadFloat(bytes + 268);
    std::memcpy(behaviour, ReplacedValues, sizeof behaviour);
    value344 = ReadFloat(bytes + 344);
    value348 = value344 / 3.0f;
}

void SFishPack::ReadTitleAndCount(CFileManager* files, char const* path)
{
    CFile file;
    files->OpenFile(&file, path, ReadMode);
    file.ReadBinaryString(title);
    std::uint8_t bytes[4];
    file.Read(bytes, sizeof bytes);
    file.Close();
    fishCount = std::max(0, ReadInt32(bytes));
}

void SFishFile::Read(CFileManager* files, char const* packName, int number)
{
    char path[512];
    std::snprintf(path, sizeof path, "Data\\FishPacks\\%s\\Fish %d\\fish.dat", packName, number);
    CFile file;
    files->OpenFile(&file, path, ReadMode);
    std::uint8_t bytes[Size];
    file.Read(bytes, Size);
    file.Close();
    Parse(bytes);
}

void SFishSelection::Read(CFileManager* files, char const* path, SFishPack* packs, unsigned int packsCount)
{
    CFile file;
    files->OpenFile(&file, path, ReadMode);
    std::uint8_t bytes[SlotsBytes + 5];
    file.Read(bytes, sizeof bytes);
    for (unsigned int i = 0; i < SlotsCount; ++i) {
        slots[i].kind = ReadInt32(bytes + i * 8);
        slots[i].number = ReadInt32(bytes + i * 8 + 4);
    }
    unique = bytes[SlotsBytes] != 0;
    std::int32_t const writtenFor = ReadInt32(bytes + SlotsBytes + 1);
    bool anyEnabled = false;
    if (packsCount > 0 && writtenFor == static_cast<std::int32_t>(packsCount)) {
        for (unsigned int i = 0; i < packsCount; ++i) {
            file.Read(&packs[i].enabled, 1);
            anyEnabled = anyEnabled || packs[i].enabled != 0;
        }
    }
    file.Close();
    if (!anyEnabled) {
        for (unsigned int i = 0; i < packsCount; ++i)
            packs[i].enabled = 1;
    }
}

bool SFishSelection::IsRepeated(unsigned int slot) const
{
    for (unsigned int i = 0; i < SlotsCount; ++i) {
        if (i != slot && slots[i].kind == slots[slot].kind && slots[i].number == slots[slot].number)
            return true;
    }
    return false;
}

void SFishSelection::DrawRandomSlots(SFishPack const* packs, unsigned int packsCount, CFishRandom& random)
{
    for (SSlot& slot : slots) {
        if (slot.kind >= FirstPackKind && static_cast<unsigned int>(slot.kind - FirstPackKind) >= packsCount)
            slot.kind = EmptyKind;
        else if (slot.kind < EmptyKind)
            slot.kind = EmptyKind;
    }
    bool anyDrawable = false;
    for (unsigned int i = 0; i < packsCount; ++i)
        anyDrawable = anyDrawable || (packs[i].enabled != 0 && packs[i].fishCount > 0);

    for (unsigned int i = 0; i < SlotsCount; ++i) {
        SSlot& slot = slots[i];
        if (slot.kind != RandomKind)
            continue;
        slot.kind = EmptyKind;
        if (!anyDrawable)
            continue;
        for (unsigned int draw = 0; draw < MaxDraws; ++draw) {
            unsigned int const pack = static_cast<unsigned int>(std::rand()) % packsCount;
            if (packs[pack].enabled == 0 || packs[pack].fishCount <= 0)
                continue;
            std::int32_t const number =
                static_cast<std::int32_t>(random.Next() * static_cast<float>(packs[pack].fishCount));
            slot.kind = static_cast<std::int32_t>(pack) + FirstPackKind;
            slot.number = number;
            bool const skipped =
                packsCount == 1 && slot.kind == FirstPackKind && IsSkippedInSinglePack(number);
            if (!skipped && !(unique && IsRepeated(i)))
                break;
            slot.kind = EmptyKind;
        }
    }
}

unsigned int SFishSelection::GetFishSlotsCount() const
{
    unsigned int count = 0;
    for (SSlot const& slot : slots)
        count += slot.kind >= FirstPackKind ? 1u : 0u;
    return count;
}
