#include "cli/headless.h"

#include <cstdio>

namespace cli {

// Extraction output arrives with the analysis work.
int printExtraction(bool, const QString &)
{
    std::fputs("markloom: extraction is not available yet\n", stderr);
    return 2;
}

} // namespace cli
