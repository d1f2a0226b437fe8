// Both extractions of the analyser against their literal reference, on any
// text: bytes are taken as UTF-16 code units, so NULs, lone surrogates and
// pairs cut in two all turn up.

#include "support/literalanalysis.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // The reference searches afresh at every step: longer inputs take too long.
    if (size <= 8192 && !markloomtest::analysersAgree(QString(reinterpret_cast<const QChar *>(bytes), qsizetype(size / 2))))
        std::abort();
    return 0;
}
