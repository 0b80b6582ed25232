// The calculator: the engine on long flat expressions (it reads the text once,
// so time grows with its length), and a key press on the tab as the user meets
// it, ending with the window painted.
#include <benchmark/benchmark.h>

#include <QString>

#include "BenchHarness.h"
#include "calculator/CalculatorEngine.h"
#include "components/NavigationStack.h"
#include "platform/Haptics.h"
#include "views/calculator/CalculatorView.h"

namespace {

// Numbers, all four operators, spaces and brackets three deep, cut to `length`
// characters at the end of a whole block and closed with a number.
QString flatExpression(qsizetype length) {
    const QString block = QStringLiteral("(12.5 + (3 × (4 - 1,5)) - 7) ÷ 2 + 8 * 0.25 - ");
    QString text;
    text.reserve(length + block.size());
    while (text.size() + block.size() < length) text += block;
    return text + QStringLiteral("1");
}

void evaluateFlat(benchmark::State& state) {
    const QString text = flatExpression(state.range(0));
    const CalculatorEngine engine;
    for (auto _ : state) {
        const CalculatorEngine::Result result = engine.evaluate(text);
        if (!std::holds_alternative<double>(result)) state.SkipWithError("the expression did not evaluate");
        benchmark::DoNotOptimize(result);
    }
    state.counters["characters"] = static_cast<double>(text.size());
}

// "=" on a display of the longest typed expression, then a digit that
// replaces the result: two presses, each redrawn.
void pressKeys(benchmark::State& state) {
    SilentHaptics haptics;
    auto* view = new CalculatorView(haptics);
    PhoneWindow phone(new NavigationStack(view));
    for (auto _ : state) {
        state.PauseTiming();
        view->press(CalculatorKey::clear);
        for (const QChar c : QStringLiteral("12.5×(3+4)−7÷2+8×0.25−1÷3+999")) view->append(QString(c));
        phone.redraw();
        state.ResumeTiming();
        view->press(CalculatorKey::equals);
        phone.redraw();
        view->press(CalculatorKey::seven);
        phone.redraw();
    }
}

}  // namespace

BENCHMARK(evaluateFlat)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(pressKeys)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
