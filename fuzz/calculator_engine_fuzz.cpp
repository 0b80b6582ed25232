// libFuzzer target for the calculator's engine: any text (bytes read as
// UTF-8) must give a finite value or one of the two errors, never a crash, a
// hang, a stack overflow or undefined behaviour.
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "calculator/CalculatorEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const CalculatorEngine::Result result = CalculatorEngine().evaluate(text);
    if (const double* value = std::get_if<double>(&result); value && !std::isfinite(*value)) std::abort();
    return 0;
}
