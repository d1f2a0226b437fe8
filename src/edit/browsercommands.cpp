#include "edit/browsercommands.h"

#include "platform/services.h"
#include "platform/webbrowser.h"

#include <QPointer>

namespace browsercommands {

void openInDefaultBrowser(Services &services, QWidget *window, const QString &addressText)
{
    services.shell().openUrl(
        WebBrowser::urlFromUserInput(addressText), [&services, window = QPointer<QWidget>(window)](bool opened) {
            if (!opened && window)
                services.prompts().message(window, QStringLiteral("ブラウザでページを開けませんでした。"));
        });
}

} // namespace browsercommands
