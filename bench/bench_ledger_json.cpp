#include "LedgerGenerator.h"
#include "models/LedgerJson.h"

#include <benchmark/benchmark.h>

// Decoding and encoding whole ledgers of 1,000 to 100,000 transactions: the
// store does one of each on every load and every save.

static void BM_DecodeLedger(benchmark::State& state) {
    const QByteArray bytes = encodeMoneyData(generateLedger(int(state.range(0))));
    for (auto _ : state) {
        auto data = decodeMoneyData(bytes);
        if (!data) state.SkipWithError("the generated ledger did not decode");
        benchmark::DoNotOptimize(data);
        // Freeing the result is not part of reading it.
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
    state.counters["docMB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_DecodeLedger)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_EncodeLedger(benchmark::State& state) {
    const MoneyData data = generateLedger(int(state.range(0)));
    qsizetype size = 0;
    for (auto _ : state) {
        QByteArray bytes = encodeMoneyData(data);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["docMB"] = double(size) / 1e6;
}
BENCHMARK(BM_EncodeLedger)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
