// The frame-report parser on any payload (bytes as UTF-16 code units): a
// report it accepts is the body cut in three, in order, nothing outside it.

#include "platform/completionscript.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringView payload(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const std::optional<completion::Report> r = completion::parse(payload);
    if (!r)
        return 0;
    const QStringView body = payload.sliced(payload.indexOf(QLatin1Char('\n')) + 1);
    if (r->url.size() < 0 || r->title.size() < 0 || r->html.size() < 0
        || r->url.size() + r->title.size() + r->html.size() != body.size() || r->url.data() != body.data()
        || r->title.data() != r->url.data() + r->url.size() || r->html.data() != r->title.data() + r->title.size())
        std::abort();
    return 0;
}
