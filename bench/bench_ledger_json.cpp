#include <benchmark/benchmark.h>
#include <simdjson.h>

#include "LedgerGenerator.h"
#include "models/LedgerJson.h"

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

// The anchor for decoding: simdjson alone parsing the same bytes and touching
// every value (numbers as doubles, texts unescaped), building nothing.
namespace {
std::size_t walk(simdjson::ondemand::value value) {
    using simdjson::ondemand::json_type;
    std::size_t n = 1;
    switch (value.type().value()) {
        case json_type::object:
            for (auto field : value.get_object())
                n += field.unescaped_key().value().size() + walk(field.value());
            break;
        case json_type::array:
            for (auto element : value.get_array()) n += walk(element.value());
            break;
        case json_type::number:
            n += std::size_t(value.get_double().value() != 0);
            break;
        case json_type::string:
            n += value.get_string().value().size();
            break;
        case json_type::boolean:
            n += std::size_t(value.get_bool().value());
            break;
        case json_type::null:
            n += std::size_t(value.is_null().value());
            break;
    }
    return n;
}
}  // namespace

static void BM_SimdjsonWalk(benchmark::State& state) {
    const QByteArray bytes = encodeMoneyData(generateLedger(int(state.range(0))));
    for (auto _ : state) {
        const simdjson::padded_string input(bytes.constData(), std::size_t(bytes.size()));
        simdjson::ondemand::parser parser;
        auto doc = parser.iterate(input);
        std::size_t n = 0;
        for (auto field : doc.get_object()) n += walk(field.value());
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}
BENCHMARK(BM_SimdjsonWalk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
