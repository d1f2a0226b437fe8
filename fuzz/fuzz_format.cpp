// The formatter on any bytes keeps the rules of support/formatrules.h.

#include "support/formatrules.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (markloomtest::formatFault(QByteArrayView(reinterpret_cast<const char *>(bytes), qsizetype(size))))
        std::abort();
    return 0;
}
