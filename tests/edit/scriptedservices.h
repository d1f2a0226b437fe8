#pragma once

// Prompts and Shell for the edit tests: every call is recorded, answers come
// from a script, nothing ever blocks or leaves the process.

#include "app/markloomform.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QList>
#include <QUrl>

#include <functional>

namespace edittest {

class ScriptedPrompts final : public Prompts
{
public:
    struct SaveCall {
        QStringList filters;
        QString initialName;
    };
    QStringList messages;
    QList<QWidget *> messageParents;
    QList<SaveCall> saveCalls;
    // Answers for the save dialog, taken in order; cancel when none is left.
    QList<std::optional<SaveChoice>> saveAnswers;
    // Runs while a message is "shown".
    std::function<void()> onMessage;

    void message(QWidget *parent, const QString &text) override
    {
        messages << text;
        messageParents << parent;
        if (onMessage)
            onMessage();
    }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &filters, const QString &initialName) override
    {
        saveCalls << SaveCall{filters, initialName};
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return std::nullopt; }
};

class ScriptedShell final : public Shell
{
public:
    struct Start {
        QString program;
        QStringList arguments;
        bool minimized;
    };
    QList<QUrl> openedUrls;
    QStringList openedFolders;
    QList<Start> starts;
    bool answer = true;

    bool openUrl(const QUrl &url) override
    {
        openedUrls << url;
        return answer;
    }
    bool openFolder(const QString &path) override
    {
        openedFolders << path;
        return answer;
    }
    bool startDetached(const QString &program, const QStringList &arguments, bool minimized) override
    {
        starts << Start{program, arguments, minimized};
        return answer;
    }
};

// Replaces the form's prompts and shell with scripted ones it owns.
inline void installScripted(MarkloomForm &form, ScriptedPrompts *&prompts, ScriptedShell *&shell)
{
    auto p = std::make_unique<ScriptedPrompts>();
    prompts = p.get();
    form.setPrompts(std::move(p));
    auto s = std::make_unique<ScriptedShell>();
    shell = s.get();
    form.setShell(std::move(s));
}

} // namespace edittest
