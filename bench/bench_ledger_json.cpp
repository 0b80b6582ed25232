#include <benchmark/benchmark.h>
#include <malloc.h>
#include <simdjson.h>

#include <chrono>
#include <cstring>

#include "LedgerGenerator.h"
#include "models/LedgerJson.h"

namespace {
// The bytes as the store reads them from a file (readLedgerBytes): padded
// behind their end, so the reader decodes them where they are.
QByteArray readAsTheStoreDoes(const QByteArray& document) {
    QByteArray bytes(document.size() + kLedgerReadPadding, ' ');
    std::memcpy(bytes.data(), document.constData(), std::size_t(document.size()));
    bytes.resize(document.size());  // keeps the capacity and the spaces behind the end
    return bytes;
}

}  // namespace

// Decoding and encoding whole ledgers of 1,000 to 100,000 transactions: the
// store does one of each on every load and every save.

static void BM_DecodeLedger(benchmark::State& state) {
    const QByteArray bytes = readAsTheStoreDoes(encodeMoneyData(generateLedger(int(state.range(0)))));
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

namespace {
// The anchor's input and parser are made once, as simdjson's own benchmarks
// do: what is timed is the parse and the walk alone.
class ParseAndWalk {
public:
    explicit ParseAndWalk(const QByteArray& bytes) : input_(bytes.constData(), std::size_t(bytes.size())) {}
    std::size_t operator()() {
        auto doc = parser_.iterate(input_);
        std::size_t n = 0;
        for (auto field : doc.get_object()) n += walk(field.value());
        return n;
    }

private:
    const simdjson::padded_string input_;
    simdjson::ondemand::parser parser_;
};

double millisecondsOf(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

static void BM_SimdjsonWalk(benchmark::State& state) {
    const QByteArray bytes = encodeMoneyData(generateLedger(int(state.range(0))));
    ParseAndWalk parseAndWalk(bytes);
    for (auto _ : state) benchmark::DoNotOptimize(parseAndWalk());
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}
BENCHMARK(BM_SimdjsonWalk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Decoding beside its anchor in one run, alternating, so that the machine's
// load weighs on both alike: decode_ms, walk_ms and their ratio.
static void BM_DecodeOverParseAndWalk(benchmark::State& state) {
    const QByteArray bytes = readAsTheStoreDoes(encodeMoneyData(generateLedger(int(state.range(0)))));
    ParseAndWalk parseAndWalk(bytes);
    double decodeMs = 0;
    double walkMs = 0;
    for (auto _ : state) {
        std::optional<MoneyData> data;
        decodeMs += millisecondsOf([&] { data = decodeMoneyData(bytes); });
        if (!data) state.SkipWithError("the generated ledger did not decode");
        data.reset();
        walkMs += millisecondsOf([&] { benchmark::DoNotOptimize(parseAndWalk()); });
    }
    const double n = double(state.iterations());
    state.counters["decode_ms"] = decodeMs / n;
    state.counters["walk_ms"] = walkMs / n;
    state.counters["ratio"] = walkMs > 0 ? decodeMs / walkMs : 0;
}
BENCHMARK(BM_DecodeOverParseAndWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// What one loaded transaction keeps on the heap and in its slot of the list:
// the allocator's bytes in use after decoding, less those before, per
// transaction (the rest of the document, a few hundred records, included).
static void BM_LoadedTransactionMemory(benchmark::State& state) {
    const int count = int(state.range(0));
    const QByteArray bytes = encodeMoneyData(generateLedger(count));
    double perTransaction = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        std::optional<MoneyData> data = decodeMoneyData(bytes);
        const std::size_t after = mallinfo2().uordblks;
        if (!data) state.SkipWithError("the generated ledger did not decode");
        perTransaction = double(after - before) / count;
        state.counters["slot_bytes"] = double(sizeof(MoneyTransaction));
        state.counters["capacity_slots"] = data ? double(data->transactions.capacity()) / count : 0;
    }
    state.counters["bytes_per_tx"] = perTransaction;
}
BENCHMARK(BM_LoadedTransactionMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

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
