#include "app/settingsdefaults.h"

#include <cmath>

namespace settings {

QString defaultHome() { return QStringLiteral("https://www.wikipedia.org/"); }
QString defaultFontFace() { return QStringLiteral(u"ＭＳ Ｐゴシック"); }
QString defaultFontSize() { return QStringLiteral("11"); }
QString defaultBackColor() { return QStringLiteral("16777215"); }

std::optional<double> parseFontSize(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= 0.0 || v > kMaxFontSize)
        return std::nullopt;
    return v;
}

std::optional<quint32> parseBgr(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    // Stored as decimal text; a negative number is the signed view of the same 32 bits.
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < -2147483648LL || v > 4294967295LL)
        return std::nullopt;
    return static_cast<quint32>(v) & 0x00FFFFFFu;
}

quint32 bgrToRgb(quint32 bgr)
{
    return ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

quint32 rgbToBgr(quint32 rgb) { return bgrToRgb(rgb); }

} // namespace settings
