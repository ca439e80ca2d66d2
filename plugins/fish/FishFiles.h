#pragma once

#include <cstdint>

class CFileManager;
class CFishRandom;

// One installed fish pack ("<name>.fsp" in the fish packs folder).
struct SFishPack
{
    static constexpr unsigned int NameLength = 256;

    char name[NameLength] = {};
    char title[NameLength] = {};
    int fishCount = 0;
    std::uint8_t enabled = 1;

    // Reads the title and the fish count (never below 0) of the pack file at `path`; throws
    // CFileError.
    void ReadTitleAndCount(CFileManager* files, char const* path);
};

// Per-fish record "fish.dat" as the school uses it.
struct SFishFile
{
    static constexpr unsigned int Size = 352;
    static constexpr unsigned int NameLength = 256;
    static constexpr unsigned int ReplacedValuesCount = 17;
    static constexpr float ReplacedValues[ReplacedValuesCount] = {4.0f,  2.0f,   0.5f,   2.0f, 2.0f, 1.0f,
                                                                  10.0f, 1.047f, 0.523f, 0.1f, 1.0f, 0.2f,
                                                                  1.0f,  0.0f,   0.0f,   0.2f, 1.0f};

    char modelFileName[NameLength] = {};
    std::int32_t textureVariant = 0;
    float sizeDivisor = 1.0f;
    float minimumWantedSpeed = 0.0f;
    float maximumWantedSpeed = 1.0f;
    // The behaviour block from offset 272; the fixed values replace what the file holds.
    float behaviour[ReplacedValuesCount] = {};
    float value344 = 0.0f;
    float value348 = 0.0f;

    // The 352 bytes of a record; the name is cut to its buffer and a size divisor that is
    // not a positive number becomes 1.
    void Parse(std::uint8_t const* bytes);
    // Reads "Data\FishPacks\<pack>\Fish <number>\fish.dat"; throws CFileError.
    void Read(CFileManager* files, char const* packName, int number);
};

// The ten slots of the selection file "Data\fishes.dat".
struct SFishSelection
{
    static constexpr unsigned int SlotsCount = 10;
    static constexpr int EmptyKind = 0;
    static constexpr int RandomKind = 1;
    static constexpr int FirstPackKind = 2;
    // Draws before a random slot that finds no acceptable fish is left empty.
    static constexpr unsigned int MaxDraws = 1000;

    struct SSlot
    {
        std::int32_t kind = EmptyKind;
        std::int32_t number = 0;
    };

    SSlot slots[SlotsCount];
    bool unique = false;

    // Reads the slots and, when the file was written for the packs found, their enabled
    // bytes (all of them enabled when every byte is 0). Throws CFileError.
    void Read(CFileManager* files, char const* path, SFishPack* packs, unsigned int packsCount);
    // Gives every random slot a pack (rand()) and a fish of it (`random`); slots naming a pack
    // that is not installed, and random slots that find no fish, become empty.
    void DrawRandomSlots(SFishPack const* packs, unsigned int packsCount, CFishRandom& random);
    unsigned int GetFishSlotsCount() const;

private:
    bool IsRepeated(unsigned int slot) const;
};
