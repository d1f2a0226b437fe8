#include "app/markloomform.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/webbrowser.h"

#include <QComboBox>

void MarkloomForm::ID_IEVIEW_Click()
{
    // Whatever the bar shows, typed but not yet visited text included.
    const QUrl url = WebBrowser::urlFromUserInput(AddressBarCombo->currentText());
    m_IEApp = url;
    if (!shell().openUrl(url))
        prompts().message(this, QStringLiteral("ブラウザでページを開けませんでした。"));
}

// Created unavailable; there is nothing for it to do.
void MarkloomForm::IE_Option_Click() {}
