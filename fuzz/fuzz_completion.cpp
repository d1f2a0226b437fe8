// The completion-report parser on any payload (bytes as UTF-16 code units):
// a report it accepts is the payload itself cut in order, nothing outside it.

#include "platform/completionscript.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringView payload(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const std::optional<completion::Report> r = completion::parse(payload);
    if (!r)
        return 0;
    const QChar *end = payload.data() + payload.size();
    const QChar *body = payload.data() + payload.indexOf(QLatin1Char('\n')) + 1;
    if (r->url.data() != body || r->title.data() != body + r->url.size()
        || r->html.data() != body + r->url.size() + r->title.size() || r->html.data() + r->html.size() != end)
        std::abort();
    return 0;
}
