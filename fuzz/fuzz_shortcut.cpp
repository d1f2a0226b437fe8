// The shortcut reader on any text: whatever it takes as the address is a
// piece of the text, never longer than an address can be.

#include "favorites/shortcutreader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString address = favorites::defaultSectionValue(text);
    if (address.size() > favorites::kMaxAddressLength || (!address.isEmpty() && !text.contains(address)))
        std::abort();
    return 0;
}
