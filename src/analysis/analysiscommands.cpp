#include "app/markloomform.h"

#include "analysis/analizerform.h"
#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"
#include "analysis/progressrule.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"

#include <QProgressBar>

AnalizerForm *MarkloomForm::analizerForm() const
{
    return qobject_cast<AnalizerForm *>(m_analizerForm.data());
}

void MarkloomForm::ID_AnaScpt_Click()
{
    runAnalysis(true);
}

void MarkloomForm::ID_Anasor_Click()
{
    runAnalysis(false);
}

void MarkloomForm::runAnalysis(bool scripts)
{
    DataAnalizerClass analizer;

    // The results window is loaded on first use and reused while it is open.
    AnalizerForm *form = singleWindow<AnalizerForm>(m_analizerForm, [this] { return new AnalizerForm(*this); });
    form->AnalizerText->SetText(QString());
    form->AnalizeProgressBar->setValue(0);
    bringForward(form);

    const QString source = HTMLSorceText->Text();
    const Extraction found = scripts ? analizer.ScriptDataSpans(source) : analizer.DataSpans(source);
    const qint32 n = scripts ? analizer.GetScriptDataLen() : analizer.GetDataLen();
    if (found.overCap) {
        prompts().message(form, analysis::overCapMessage());
        return;
    }
    if (n == 0) {
        prompts().message(form, scripts ? analysis::kNoScriptsMessage : analysis::kNoDataMessage);
        return;
    }

    // The text is built whole and set once; the bar takes the values it
    // would take if the items were appended one by one.
    QProgressBar *bar = form->AnalizeProgressBar;
    ProgressRule rule(n, bar->maximum());
    const QString results = analysis::resultsText(source, found, [&rule, bar] {
        if (rule.itemDone())
            bar->setValue(bar->value() + 1);
    });
    form->AnalizerText->SetText(results);
    if (bar->value() < bar->maximum())
        bar->setValue(bar->maximum());
}
