#pragma once

#include "platform/singlewindow.h"

class AboutDialog;

// Markloomについて: one About box, brought forward when asked for again.
class HelpCommands
{
public:
    HelpCommands();
    ~HelpCommands();
    void about();
    AboutDialog *aboutDialog() const;
    void closeWindow();

private:
    SingleWindow<AboutDialog> m_about;
};
