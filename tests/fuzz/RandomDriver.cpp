// Runs a fuzz target without libFuzzer: a bounded, seeded campaign of random
// buffers and mutations of the seed files given on the command line.
// Usage: fuzz_x [iterations] [seed files...]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size);
extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds) __attribute__((weak));

namespace
{
std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> input, std::mt19937& random)
{
    std::uniform_int_distribution<int> kind(0, 4);
    int const edits = 1 + static_cast<int>(random() % 8);
    for (int edit = 0; edit < edits; ++edit) {
        std::size_t const at = input.empty() ? 0 : random() % input.size();
        switch (kind(random)) {
        case 0:
            if (!input.empty())
                input[at] = static_cast<std::uint8_t>(random());
            break;
        case 1:
            if (!input.empty())
                input[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            break;
        case 2:
            input.resize(at);
            break;
        case 3:
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                         static_cast<std::uint8_t>(random()));
            break;
        default:
            if (input.size() >= at + 4) {
                std::uint32_t const value =
                    (random() % 2) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(random());
                for (int b = 0; b < 4; ++b)
                    input[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
            }
            break;
        }
    }
    return input;
}
} // namespace

int main(int argc, char** argv)
{
    long const iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    std::vector<std::vector<std::uint8_t>> seeds;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (FuzzSeedInputs)
        FuzzSeedInputs(seeds);

    std::mt19937 random(12345);
    for (auto const& seed : seeds)
        LLVMFuzzerTestOneInput(seed.data(), seed.size());
    for (long i = 0; i < iterations; ++i) {
        std::vector<std::uint8_t> input;
        if (!seeds.empty() && i % 4 != 0) {
            input = Mutate(seeds[random() % seeds.size()], random);
        } else {
            input.resize(random() % 512);
            for (auto& byte : input)
                byte = static_cast<std::uint8_t>(random());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
