#include "settings/settingchoices.h"

#include "app/settingsdefaults.h"

namespace settings {

QStringList selectableFonts(const QStringList &families)
{
    QStringList fonts;
    fonts.reserve(families.size());
    for (const QString &name : families) {
        if (name.contains(QLatin1Char('@')))
            continue;
        // A family several foundries provide comes as "Name [Foundry]".
        QString family = name;
        const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
        if (open > 0 && family.endsWith(QLatin1Char(']')))
            family.truncate(open);
        if (!fonts.contains(family))
            fonts.append(family);
    }
    return fonts;
}

QStringList fontSizeChoices()
{
    QStringList sizes;
    for (int size = 8; size <= 27; ++size)
        sizes.append(QString::number(size));
    return sizes;
}

std::optional<double> acceptableFontSize(const QString &text)
{
    return parseFontSize(text);
}

QString bgrText(quint32 bgr) { return QString::number(bgr & 0x00FFFFFFu); }

quint32 bgrOrDefault(const QString &text)
{
    if (const std::optional<quint32> bgr = parseBgr(text))
        return *bgr;
    return parseBgr(defaultBackColor()).value_or(0x00FFFFFFu);
}

bool isCustomHome(const QString &storedChoice) { return storedChoice != QLatin1String("0"); }

Values applyChoices(const Values &current, const Choices &choices)
{
    Values next = current;
    if (choices.customHome) {
        next.m_bUserHome = QStringLiteral("1");
        next.m_UserHome = choices.address;
    } else {
        next.m_bUserHome = QStringLiteral("0");
    }
    next.m_CurrentFont = choices.font;
    // Kept as typed ("10.5" stays "10.5"); a size that cannot be used would
    // otherwise be saved and silently replaced by the default at the next start.
    if (acceptableFontSize(choices.fontSize))
        next.m_CurrentFontSize = choices.fontSize;
    next.m_BackColor = bgrText(choices.bgr);
    return next;
}

} // namespace settings
