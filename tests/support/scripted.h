#pragma once

// The one scripted stand-in for dialogs and the desktop: every call is
// recorded, answers come from queues, nothing ever blocks or leaves the process.

#include "platform/prompts.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "support/testenv.h"

#include <QApplication>
#include <QList>
#include <QUrl>

#include <functional>

namespace markloomtest {

class ScriptedPrompts final : public Prompts
{
public:
    QStringList messages;
    QStringList saveStarts;                       // one per save dialog shown: the file it opens on
    QList<std::optional<SaveChoice>> saveAnswers; // taken in order; cancel when none is left
    QList<std::optional<QColor>> colours;         // likewise for the colour dialog
    QList<unsaved::Answer> saveQuestionAnswers;   // likewise (Cancel) for 「変更を保存しますか？」
    int saveQuestions = 0;
    std::function<void()> onMessage; // runs while a message is "shown"

    void message(QWidget *, const QString &text) override
    {
        messages << text;
        if (onMessage)
            onMessage();
    }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &start) override
    {
        saveStarts << start;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override
    {
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
    bool answer = true; // the desktop's answer, given at once

    void openUrl(const QUrl &url, Done done) override { openedUrls << url, done(answer); }
    void openFolder(const QString &path, Done done) override { openedFolders << path, done(answer); }
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        return starts << (QStringList{program} + arguments), answer;
    }
};

struct Scripted {
    ScriptedPrompts *prompts;
    ScriptedShell *shell;
};

// Puts scripted services in place (before any window using them is opened);
// works on anything with services(), or on the services themselves.
inline Scripted installScripted(Services &services)
{
    auto p = std::make_unique<ScriptedPrompts>();
    auto s = std::make_unique<ScriptedShell>();
    Scripted scripted{p.get(), s.get()};
    services.setPrompts(std::move(p));
    services.setShell(std::move(s));
    return scripted;
}

template <class Window>
Scripted installScripted(Window &window)
{
    return installScripted(window.services());
}

} // namespace markloomtest

// main() of a test with widgets but no web engine.
#define MARKLOOM_WIDGET_TEST_MAIN(TestClass) MARKLOOM_TEST_MAIN_WITH(TestClass, QApplication)
