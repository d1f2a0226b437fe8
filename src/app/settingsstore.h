#pragma once

#include <QString>

// The five persisted settings live as string values under
// Brindlecot/<program name>: the registry on Windows, an INI file elsewhere.
// Nothing is cached; every call goes to the store.

// The stored text of one value, or the empty string when it is missing or
// cannot be read. Values of any length are returned whole.
QString GetRegSetting(const QString &programName, const QString &valueName);

// Stores one value as a string. Returns 1 when the store took it, 0 when it
// could not be attempted or the store could not be written.
int SetRegSetting(const QString &programName, const QString &valueName, const QString &value);

// Where the values are kept (a file, or a registry key), for messages.
QString settingsLocation(const QString &programName);
