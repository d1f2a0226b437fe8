#pragma once

#include <QString>

class DocumentModel;
class Services;
class SourcePane;
class QWidget;

// 新規作成, 保存 and 名前を付けて保存 over the document, the pane that holds its
// source and the dialogs. window is where the dialogs and messages belong.
class FileCommands
{
public:
    FileCommands(DocumentModel &document, SourcePane &pane, Services &services, QWidget *window);

    // Starts another copy of the program on address, whole and unchanged.
    void newWindow(const QString &address);
    // Writes the source into the file it was saved to while the pane shows
    // what was saved there; otherwise asks for a file, starting on that one.
    // True when the source was written.
    bool save();
    // Asks for a file and writes the source there; true when written.
    bool saveAs();

private:
    bool saveAs(const QString &start);

    DocumentModel &m_document;
    SourcePane &m_pane;
    Services &m_services;
    QWidget *m_window;
};
