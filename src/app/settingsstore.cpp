#include "app/settingsstore.h"

#include <QSettings>

namespace {
constexpr auto kOrganisation = "Brindlecot";
}

QString GetRegSetting(const QString &programName, const QString &valueName)
{
    if (programName.isEmpty() || valueName.isEmpty())
        return {};
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, programName);
    const QVariant v = store.value(valueName);
    // A value of another type (hand-edited file) reads as its text form.
    return v.isValid() ? v.toString() : QString();
}

int SetRegSetting(const QString &programName, const QString &valueName, const QString &value)
{
    if (programName.isEmpty() || valueName.isEmpty())
        return 0;
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, programName);
    store.setValue(valueName, value);
    store.sync();
    return store.status() == QSettings::NoError ? 1 : 0;
}

QString settingsLocation(const QString &programName)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, programName).fileName();
}
