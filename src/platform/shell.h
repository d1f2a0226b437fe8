#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// Desktop services: the default browser, the file manager, starting a process.
// A desktop may only find out later that it has nothing to open a thing with:
// the opening calls report through done, false when the desktop refused (at
// once, or later from the event loop); callers tell the user themselves.
class Shell
{
public:
    using Done = std::function<void(bool opened)>;

    virtual ~Shell() = default;
    virtual void openUrl(const QUrl &url, Done done) = 0;
    virtual void openFolder(const QString &path, Done done) = 0;
    // Starts program with arguments, detached.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};

class DesktopShell final : public Shell
{
public:
    void openUrl(const QUrl &url, Done done) override;
    void openFolder(const QString &path, Done done) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
};
