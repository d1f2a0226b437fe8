#include "analysis/analysiscommands.h"

#include "app/documentmodel.h"
#include "platform/sourcepane.h"
#include "platform/windowplacement.h"

AnalysisCommands::AnalysisCommands(DocumentModel &document, SourcePane &pane, Services &services,
                                   SettingsModel &settings, QWidget *window)
    : m_document(document), m_pane(pane), m_services(services), m_settings(settings), m_window(window)
{
}

void AnalysisCommands::run(AnalizerForm::Kind kind)
{
    // The results window is loaded on first use and reused while it is open.
    AnalizerForm *form = m_form.get([this] {
        auto *f = new AnalizerForm(m_services, m_settings);
        QObject::connect(f, &AnalizerForm::applied, f, [this](const QString &text) { apply(text); });
        placeBeside(f, m_window);
        return f;
    });
    form->analyse(m_pane.Text(), kind);
}

void AnalysisCommands::apply(const QString &text)
{
    m_pane.ReplaceText(text);
    m_document.setModified(true);
}
