#pragma once

#include "analysis/dataanalizerclass.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Rules of the analysis commands and their results window that need no widget.
namespace analysis {

// Told when an extraction finds nothing.
inline const QString kNoScriptsMessage = QStringLiteral("このソースには、スクリプトはありません。");
inline const QString kNoDataMessage = QStringLiteral("このソースには、データがありません。");
// Told when the results would pass the cap of the given number of characters.
QString overCapMessage(qsizetype cap = DataAnalizerClass::kResultCap);

// The results text: every item followed by CR LF, in order, built in one pass.
// afterItem runs once after each item is written.
QString resultsText(QStringView source, const Extraction &found, const std::function<void()> &afterItem = {});

// Where the results window's controls go for an outer window size (twips).
struct AnalizerLayout {
    int textWidth;
    int textHeight;
    int barTop;
    int barLeft;
};
// Empty when the window is 1500 twips high or less: the controls then stay as
// they are, so the text never gets a negative height.
std::optional<AnalizerLayout> analizerLayout(int outerWidth, int outerHeight);

} // namespace analysis
