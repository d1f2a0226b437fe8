#pragma once

#include <QString>

// One step of the find dialog's search: the first occurrence of needle in text
// that starts at the 1-based position searchPos or later (0 means 1).
// With matchCase, comparison is exact, character code by character code;
// without it, ASCII and full-width Latin letters match in either case (width
// still counts). An empty needle is found at the start position as long as
// that lies within the text. Returns the 1-based position of the hit, or 0
// when there is none.
namespace findstep {

int findNext(const QString &text, const QString &needle, int searchPos, bool matchCase = true);

// What to tell the user when a search from searchPos found nothing: the text
// occurs nowhere, or only before searchPos (the end of the text was reached).
QString noHitMessage(const QString &text, const QString &needle, int searchPos, bool matchCase = true);

} // namespace findstep
