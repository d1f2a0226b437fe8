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
    QStringList messages;
    QStringList saveInitialNames; // one per save dialog shown
    QStringList lastSaveFilters;
    QList<std::optional<SaveChoice>> saveAnswers; // taken in order; cancel when none is left
    std::function<void()> onMessage;              // runs while a message is "shown"

    void message(QWidget *, const QString &text) override
    {
        messages << text;
        if (onMessage)
            onMessage();
    }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &filters, const QString &initialName) override
    {
        lastSaveFilters = filters;
        saveInitialNames << initialName;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return std::nullopt; }
};

class ScriptedShell final : public Shell
{
public:
    QList<QUrl> openedUrls;
    QList<QStringList> starts; // program, then its arguments; each asked to start minimized
    int others = 0;            // folders opened, starts not asked to be minimized
    bool answer = true;

    bool openUrl(const QUrl &url) override
    {
        openedUrls << url;
        return answer;
    }
    bool openFolder(const QString &) override
    {
        ++others;
        return answer;
    }
    bool startDetached(const QString &program, const QStringList &arguments, bool minimized) override
    {
        if (minimized)
            starts << (QStringList{program} + arguments);
        else
            ++others;
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
