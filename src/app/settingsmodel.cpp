#include "app/settingsmodel.h"

#include "app/settingsdefaults.h"
#include "app/settingsstore.h"

namespace {

struct StoredValue {
    const char *name;
    QString settings::Values::*field;
    QString (*fallback)();
};

// Store order: read at start-up and written at shut-down in this order.
const StoredValue kStored[] = {
    {"bUserHome", &settings::Values::m_bUserHome, [] { return QStringLiteral("0"); }},
    {"Home", &settings::Values::m_UserHome, &settings::defaultHome},
    {"FontFace", &settings::Values::m_CurrentFont, &settings::defaultFontFace},
    {"FontSize", &settings::Values::m_CurrentFontSize, &settings::defaultFontSize},
    {"BackColor", &settings::Values::m_BackColor, &settings::defaultBackColor},
};

struct StoredSwitch {
    const char *name;
    bool settings::Values::*field;
};

const StoredSwitch kSwitches[] = {
    {"WordWrap", &settings::Values::m_bWordWrap},
    {"SyntaxColour", &settings::Values::m_bSyntaxColour},
    {"FormatOnLoad", &settings::Values::m_bFormatOnLoad},
};

} // namespace

void SettingsModel::setValues(const settings::Values &values)
{
    if (values == m_values)
        return;
    m_values = values;
    Q_EMIT changed(m_values);
}

void SettingsModel::load()
{
    settings::Values v;
    for (const StoredValue &s : kStored)
        v.*s.field = GetRegSetting(settings::kProgramName, QString::fromLatin1(s.name));
    for (const StoredValue &s : kStored) {
        if ((v.*s.field).isEmpty()) {
            v.*s.field = s.fallback();
            SetRegSetting(settings::kProgramName, QString::fromLatin1(s.name), v.*s.field);
        }
    }
    for (const StoredSwitch &s : kSwitches) {
        const QString stored = GetRegSetting(settings::kProgramName, QString::fromLatin1(s.name)).trimmed();
        if (stored == QLatin1String("1") || stored == QLatin1String("0"))
            v.*s.field = stored == QLatin1String("1");
    }
    m_values = v;
    m_stored = v;
    Q_EMIT changed(m_values);
}

bool SettingsModel::save()
{
    bool ok = true;
    for (const StoredValue &s : kStored) {
        if (m_values.*s.field != m_stored.*s.field)
            ok = SetRegSetting(settings::kProgramName, QString::fromLatin1(s.name), m_values.*s.field) == 1 && ok;
    }
    for (const StoredSwitch &s : kSwitches) {
        if (m_values.*s.field != m_stored.*s.field)
            ok = SetRegSetting(settings::kProgramName, QString::fromLatin1(s.name),
                               m_values.*s.field ? QStringLiteral("1") : QStringLiteral("0"))
                     == 1
                 && ok;
    }
    if (ok)
        m_stored = m_values;
    return ok;
}
