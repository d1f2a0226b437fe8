#pragma once

#include "platform/singlewindow.h"

class Services;
class SettingDialog;
class SettingsModel;

// ブラウザの設定: one settings window over the shared settings.
class SettingCommands
{
public:
    SettingCommands(SettingsModel &settings, Services &services);
    ~SettingCommands();

    // An open window is only brought forward, with whatever has been typed
    // into it and not applied.
    void show();
    SettingDialog *dialog() const;
    void closeWindow();

private:
    SettingsModel &m_settings;
    Services &m_services;
    SingleWindow<SettingDialog> m_dialog;
};
