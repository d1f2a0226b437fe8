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
    m_values = v;
    Q_EMIT changed(m_values);
}

void SettingsModel::save() const
{
    for (const StoredValue &s : kStored)
        SetRegSetting(settings::kProgramName, QString::fromLatin1(s.name), m_values.*s.field);
}
