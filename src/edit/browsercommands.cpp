#include "app/markloomform.h"
#include "platform/webbrowser.h"

#include <QComboBox>

void MarkloomForm::ID_IEVIEW_Click()
{
    // Whatever the bar shows, typed but not yet visited text included.
    const QUrl url = WebBrowser::urlFromUserInput(AddressBarCombo->currentText());
    if (!m_services.shell().openUrl(url))
        m_services.prompts().message(this, QStringLiteral("ブラウザでページを開けませんでした。"));
}

// Created unavailable; there is nothing for it to do.
void MarkloomForm::IE_Option_Click() {}
