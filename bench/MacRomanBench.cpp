#include "Platform/BKMacRoman.h"

#include <benchmark/benchmark.h>

// Decoding a large imported file that is not UTF-8.
static void BM_DecodeUTF8OrMacRoman(benchmark::State& state)
{
    QByteArray text;
    for (int i = 0; i < state.range(0); ++i)
        text.append(static_cast<char>(32 + i % 224));
    for (auto _ : state)
        benchmark::DoNotOptimize(BKDecodeUTF8OrMacRoman(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_DecodeUTF8OrMacRoman)->Arg(1 << 10)->Arg(1 << 20);
