// Seeds for the libFuzzer build: before libFuzzer reads its corpus, the target's own seed
// inputs are written into the first corpus folder given on the command line.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds) __attribute__((weak));

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (!FuzzSeedInputs)
        return 0;
    char const* corpus = nullptr;
    for (int i = 1; i < *argc; ++i) {
        if ((*argv)[i][0] != '-') {
            corpus = (*argv)[i];
            break;
        }
    }
    struct stat info
    {};
    if (!corpus || stat(corpus, &info) != 0 || !S_ISDIR(info.st_mode))
        return 0;
    std::vector<std::vector<std::uint8_t>> seeds;
    FuzzSeedInputs(seeds);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::string const path = std::string(corpus) + "/seed-" + std::to_string(i);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(seeds[i].data()), std::streamsize(seeds[i].size()));
    }
    return 0;
}
