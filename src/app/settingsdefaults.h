#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace settings {

// Program name under which the settings are stored.
inline const QString kProgramName = QStringLiteral("Markloom");

QString defaultHome();
QString defaultFontFace();
QString defaultFontSize();
QString defaultBackColor();

// The largest point size the pane accepts; anything bigger would have the
// renderer build glyphs of absurd size.
inline constexpr double kMaxFontSize = 1638.0;

// Font size in points from its stored text; fractions allowed. Empty when the
// text is not a positive number up to kMaxFontSize.
std::optional<double> parseFontSize(const QString &text);

// Colour from its stored text (decimal 0x00BBGGRR). Empty when the text is not
// a number that fits in 32 bits.
std::optional<quint32> parseBgr(const QString &text);

// 0x00BBGGRR <-> 0x00RRGGBB.
quint32 bgrToRgb(quint32 bgr);
quint32 rgbToBgr(quint32 rgb);

} // namespace settings
