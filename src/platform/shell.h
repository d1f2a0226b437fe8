#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Desktop services: the default browser, the file manager, starting a process.
// Each returns false when the desktop refused; callers report that themselves.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool openUrl(const QUrl &url) = 0;
    virtual bool openFolder(const QString &path) = 0;
    // Starts program with arguments, detached.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};

class DesktopShell final : public Shell
{
public:
    bool openUrl(const QUrl &url) override;
    bool openFolder(const QString &path) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
};
