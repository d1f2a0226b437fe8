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
    bool ok = o.timeoutSeconds > 0 && o.timeoutSeconds <= 2000000;
    switch (o.mode) {
    case cli::Mode::Error:
        ok = ok && !o.error.isEmpty() && o.error.size() < 400;
        break;
    case cli::Mode::Dump:
        ok = ok && !o.address.isEmpty() && o.address != QLatin1String("-");
        break;
    case cli::Mode::Scripts:
    case cli::Mode::Data:
        ok = ok && !o.address.isEmpty();
        break;
    default:
        break;
    }
    if (!ok)
        std::abort();
    return 0;
}
