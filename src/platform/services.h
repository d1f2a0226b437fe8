#pragma once

#include "platform/prompts.h"
#include "platform/shell.h"

#include <memory>

// The platform services the windows use: dialogs and the desktop. Tests put
// scripted ones in their place; windows ask for them at the moment of use.
class Services
{
public:
    Services() : m_prompts(std::make_unique<QtPrompts>()), m_shell(std::make_unique<DesktopShell>()) {}

    Prompts &prompts() const { return *m_prompts; }
    Shell &shell() const { return *m_shell; }
    void setPrompts(std::unique_ptr<Prompts> prompts) { m_prompts = std::move(prompts); }
    void setShell(std::unique_ptr<Shell> shell) { m_shell = std::move(shell); }

private:
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<Shell> m_shell;
};
