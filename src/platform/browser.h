#pragma once

#include <QString>

class QUrl;

// What commands ask of the hidden browser. The window's browser answers;
// tests give a stand-in, so commands run without a web engine.
class Browser
{
public:
    virtual ~Browser() = default;

    // Loads an address as typed.
    virtual void Navigate2(const QString &address) = 0;
    // The built-in home page.
    virtual void GoHome() = 0;
    // Cancels the load in progress.
    virtual void Stop() = 0;
    // Loads the page shown again.
    virtual void Reload() = 0;
    // Reads the page shown again as it stands, without loading it.
    virtual void ReadAgain() = 0;
    // Address of the top-level page now shown.
    virtual QString LocationURL() const = 0;
    // Whether an address can be loaded at all (scheme and the like).
    virtual bool canLoad(const QUrl &url) const = 0;
};
