#include "app/markloomform.h"

#include "analysis/analizerform.h"
#include "platform/sourcepane.h"
#include "platform/windowplacement.h"

AnalizerForm *MarkloomForm::analizerForm() const
{
    return qobject_cast<AnalizerForm *>(m_analizerForm.data());
}

void MarkloomForm::ID_AnaScpt_Click() { runAnalysis(true); }

void MarkloomForm::ID_Anasor_Click() { runAnalysis(false); }

void MarkloomForm::runAnalysis(bool scripts)
{
    // The results window is loaded on first use and reused while it is open.
    AnalizerForm *form = singleWindow<AnalizerForm>(m_analizerForm, [this] {
        auto *f = new AnalizerForm(m_services, m_settings);
        connect(f, &AnalizerForm::applied, this, &MarkloomForm::applyResults);
        placeBeside(f, this);
        return f;
    });
    form->analyse(HTMLSorceText->Text(), scripts ? AnalizerForm::Scripts : AnalizerForm::Data);
}
