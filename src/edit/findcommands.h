#pragma once

#include "edit/findmemory.h"
#include "platform/singlewindow.h"

class FindAndReplaceDialog;
class Services;
class SourcePane;

// 検索 and 次を検索 over the source pane. Keeps the find window's memory for
// as long as it lives itself.
class FindCommands
{
public:
    FindCommands(SourcePane &pane, Services &services);
    ~FindCommands();

    // Opens the find window (or brings it forward) with the pane's selection
    // as the text to find.
    void find();
    // The last search again; opens the window when there was none.
    void findNext();

    FindAndReplaceDialog *dialog() const;
    const FindMemory &memory() const { return m_memory; }
    void closeWindow();

private:
    SourcePane &m_pane;
    Services &m_services;
    FindMemory m_memory;
    SingleWindow<FindAndReplaceDialog> m_dialog;
};
