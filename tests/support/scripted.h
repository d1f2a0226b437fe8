#pragma once

// The one scripted stand-in for dialogs and the desktop: every call is
// recorded, answers come from queues, nothing ever blocks or leaves the process.

#include "app/markloomform.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QList>
#include <QUrl>

#include <functional>

namespace markloomtest {

class ScriptedPrompts final : public Prompts
{
public:
    QStringList messages;
    QStringList saveInitialNames;                 // one per save dialog shown
    QList<std::optional<SaveChoice>> saveAnswers; // taken in order; cancel when none is left
    QList<std::optional<QColor>> colours;         // likewise for the colour dialog
    QList<QColor> offeredColours;
    QList<unsaved::Answer> saveQuestionAnswers;   // likewise (Cancel) for 「変更を保存しますか？」
    int saveQuestions = 0;
    std::function<void()> onMessage; // runs while a message is "shown"

    void message(QWidget *, const QString &text) override
    {
        messages << text;
        if (onMessage)
            onMessage();
    }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &initialName) override
    {
        saveInitialNames << initialName;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &initial) override
    {
        offeredColours << initial;
        return colours.isEmpty() ? std::nullopt : colours.takeFirst();
    }
    unsaved::Answer askSaveChanges(QWidget *) override
    {
        ++saveQuestions;
        return saveQuestionAnswers.isEmpty() ? unsaved::Answer::Cancel : saveQuestionAnswers.takeFirst();
    }
};

class ScriptedShell final : public Shell
{
public:
    QList<QUrl> openedUrls;
    QStringList openedFolders;
    QList<QStringList> starts; // program, then its arguments
    bool answer = true;

    bool openUrl(const QUrl &url) override { return openedUrls << url, answer; }
    bool openFolder(const QString &path) override { return openedFolders << path, answer; }
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        return starts << (QStringList{program} + arguments), answer;
    }
};

struct Scripted {
    ScriptedPrompts *prompts;
    ScriptedShell *shell;
};

// Puts scripted services into the form (before any other window is opened).
inline Scripted installScripted(MarkloomForm &form)
{
    auto p = std::make_unique<ScriptedPrompts>();
    auto s = std::make_unique<ScriptedShell>();
    Scripted scripted{p.get(), s.get()};
    form.services().setPrompts(std::move(p));
    form.services().setShell(std::move(s));
    return scripted;
}

} // namespace markloomtest
