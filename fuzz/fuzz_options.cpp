// The option parser on any argument list (arguments separated by NULs):
// every outcome is a mode with what that mode needs, and no message repeats
// a huge argument whole.

#include "cli/options.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList arguments;
    for (const QByteArray &a : QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0'))
        arguments << QString::fromUtf8(a);
    const cli::Options o = cli::parse(arguments);
    using M = cli::Mode;
    const bool headless = o.mode == M::Dump || o.mode == M::Scripts || o.mode == M::Data;
    if (o.timeoutSeconds <= 0 || (o.mode == M::Error && (o.error.isEmpty() || o.error.size() > 400))
        || (headless && o.address.isEmpty()) || (o.mode == M::Dump && o.address == QLatin1String("-")))
        std::abort();
    return 0;
}
