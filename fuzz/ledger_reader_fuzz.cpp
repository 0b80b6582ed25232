// libFuzzer target for the ledger reader: any bytes must give a ledger or a
// clean refusal, never a crash, a hang or undefined behaviour; a ledger that
// was read must write a document that reads back to the same bytes. The former
// reader must agree on every input: both refuse it, or both read the same ledger.
#include <cstdint>
#include <cstdlib>

#include "LegacyLedgerReader.h"
#include "models/LedgerJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto ledger = decodeMoneyData(bytes);
    const auto legacy = decodeMoneyDataLegacy(bytes);
    if (ledger.has_value() != legacy.has_value()) std::abort();
    if (!ledger) return 0;
    const QByteArray written = encodeMoneyData(*ledger);
    if (encodeMoneyData(*legacy) != written) std::abort();
    const auto back = decodeMoneyData(written);
    if (!back || encodeMoneyData(*back) != written) std::abort();
    return 0;
}
