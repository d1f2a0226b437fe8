#pragma once

#include "analysis/analizerform.h"
#include "platform/singlewindow.h"

class DocumentModel;
class Services;
class SettingsModel;
class SourcePane;

// スクリプト抽出解析 and データ抽出解析: the pane's source analysed into the one
// results window, whose list can come back into the pane as an edit.
class AnalysisCommands
{
public:
    AnalysisCommands(DocumentModel &document, SourcePane &pane, Services &services, SettingsModel &settings,
                     QWidget *window);

    void run(AnalizerForm::Kind kind);
    AnalizerForm *form() const { return m_form.window(); }
    void closeWindow() { m_form.destroy(); }

private:
    // The listed text takes the source's place: one edit the user can undo,
    // made even when the text came out the same.
    void apply(const QString &text);

    DocumentModel &m_document;
    SourcePane &m_pane;
    Services &m_services;
    SettingsModel &m_settings;
    QWidget *m_window;
    SingleWindow<AnalizerForm> m_form;
};
