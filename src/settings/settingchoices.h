#pragma once

#include "app/settingsmodel.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the settings dialog offers and how its choices become the shared
// settings. No widgets here.
namespace settings {

// Font names offered for the pane: the platform's list in its own order,
// without the vertical-writing faces (their names carry "@"), each family
// once, without the foundry the platform adds in brackets.
QStringList selectableFonts(const QStringList &families);

// The sizes offered: "8" to "27".
QStringList fontSizeChoices();

// A typed font size the pane can take: a positive number up to kMaxFontSize,
// fractions allowed. Empty otherwise.
std::optional<double> acceptableFontSize(const QString &text);

// Decimal text of a 0x00BBGGRR colour: no sign, no blank, no leading zeros.
QString bgrText(quint32 bgr);

// The colour a stored text stands for; the default colour when it is not a number.
quint32 bgrOrDefault(const QString &text);

// The home choice as stored: "0" is the browser's own home page, anything
// else the custom address.
bool isCustomHome(const QString &storedChoice);

// What the dialog shows when Apply is pressed.
struct Choices {
    bool customHome = false;
    QString address;
    QString font;
    QString fontSize;
    quint32 bgr = 0;
};

// The fields after Apply. The home address changes only with the custom
// choice; face and size are taken as typed, except a size the pane cannot
// take, which leaves the previous one.
Values applyChoices(const Values &current, const Choices &choices);

} // namespace settings
