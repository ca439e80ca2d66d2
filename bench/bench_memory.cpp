// Lending blocks through the memory manager against plain malloc/free, for the
// patterns of loading: one large buffer filled and released, and many small ones alive at once.
#include "core/MemoryManager.h"
#include "core/MessageManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace
{
constexpr std::size_t PageSize = 4096;

// Writes one byte per page, as a file read into the buffer would touch every page.
void TouchPages(void* block, std::size_t size)
{
    auto* const bytes = static_cast<unsigned char*>(block);
    for (std::size_t offset = 0; offset < size; offset += PageSize) {
        bytes[offset] = static_cast<unsigned char>(offset);
    }
    benchmark::DoNotOptimize(bytes);
}

class MemoryFixture : public benchmark::Fixture
{
public:
    void SetUp(benchmark::State const&) override
    {
        messages.Create("bench_memory", false, nullptr);
        memory.Create(&messages);
    }
    void TearDown(benchmark::State const&) override
    {
        memory.Destroy();
        messages.Destroy();
    }

protected:
    CMessageManager messages;
    CMemoryManager memory;
};

BENCHMARK_DEFINE_F(MemoryFixture, PreallocatedFilledBuffer)(benchmark::State& state)
{
    auto const size = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        void* const block = memory.Allocate(size, true);
        TouchPages(block, size);
        memory.Free(block);
    }
}
BENCHMARK_REGISTER_F(MemoryFixture, PreallocatedFilledBuffer)
    ->Arg(16 << 10)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(3 << 20);

void MallocFilledBuffer(benchmark::State& state)
{
    auto const size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* const block = std::malloc(size);
        TouchPages(block, size);
        std::free(block);
    }
}
BENCHMARK(MallocFilledBuffer)->Arg(16 << 10)->Arg(100 << 10)->Arg(1 << 20)->Arg(3 << 20);

BENCHMARK_DEFINE_F(MemoryFixture, HeapEntryFilledBuffer)(benchmark::State& state)
{
    auto const size = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        void* const block = memory.Allocate(size, false);
        TouchPages(block, size);
        memory.Free(block);
    }
}
BENCHMARK_REGISTER_F(MemoryFixture, HeapEntryFilledBuffer)->Arg(16 << 10)->Arg(1 << 20)->Arg(8 << 20);

// `count` small blocks alive at once, released in the order they were taken: the
// manager's linear scans against the allocator's free lists.
BENCHMARK_DEFINE_F(MemoryFixture, ManySmallHeapBlocks)(benchmark::State& state)
{
    auto const count = static_cast<std::size_t>(state.range(0));
    std::vector<void*> blocks(count);
    for (auto _ : state) {
        for (auto& block : blocks) {
            block = memory.Allocate(64, false);
        }
        for (void* const block : blocks) {
            memory.Free(block);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK_REGISTER_F(MemoryFixture, ManySmallHeapBlocks)->Arg(16)->Arg(240);

void MallocManySmallBlocks(benchmark::State& state)
{
    auto const count = static_cast<std::size_t>(state.range(0));
    std::vector<void*> blocks(count);
    for (auto _ : state) {
        for (auto& block : blocks) {
            block = std::malloc(64);
            benchmark::DoNotOptimize(block);
        }
        for (void* const block : blocks) {
            std::free(block);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK(MallocManySmallBlocks)->Arg(16)->Arg(240);
} // namespace

BENCHMARK_MAIN();
