// libFuzzer target for the ledger reader: any bytes must give a ledger or a
// clean refusal, never a crash, a hang or undefined behaviour; a ledger that
// was read must write a document that reads back to the same bytes.
#include "models/LedgerJson.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto ledger = decodeMoneyData(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!ledger) return 0;
    const QByteArray written = encodeMoneyData(*ledger);
    const auto back = decodeMoneyData(written);
    if (!back || encodeMoneyData(*back) != written) std::abort();
    return 0;
}
