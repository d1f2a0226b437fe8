#include "analysis/progressrule.h"

ProgressRule::ProgressRule(qsizetype count, int maximum)
    // A bar without a range never moves during the loop.
    : m_step(maximum > 0 ? count / maximum + 1 : count + 1)
{
}

bool ProgressRule::itemDone()
{
    if (++m_ticks != m_step)
        return false;
    m_ticks = 0;
    return true;
}
