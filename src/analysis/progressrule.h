#pragma once

#include <QtGlobal>

// How the results window's bar advances while n items are listed: it goes up
// by one every `step` items, step = n div maximum + 1, so it stays below its
// maximum until the last item is written and the caller fills it.
class ProgressRule
{
public:
    ProgressRule(qsizetype count, int maximum);

    qsizetype step() const { return m_step; }
    // Call once per item written; true when the bar is to go up by one.
    bool itemDone();

private:
    qsizetype m_step;
    qsizetype m_ticks = 0;
};
