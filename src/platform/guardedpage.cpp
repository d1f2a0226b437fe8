#include "platform/guardedpage.h"

#include "browse/localfiles.h"

#include <QAuthenticator>
#include <QRandomGenerator>
#include <QWebEngineCertificateError>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

namespace {
QString makeNonce()
{
    QString n;
    for (int i = 0; i < 4; ++i)
        n += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    return QStringLiteral("markloom-") + n;
}
} // namespace

GuardedPage::GuardedPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_nonce(makeNonce())
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // Local pages keep the engine's access to local files on: this engine
    // version loads no local script, style, image or frame for a local page
    // without it. What a local page may load instead is decided file by file
    // by the browser's request guard (browse/localfiles.h).
    // mailto:, custom app schemes and the like must never start a program.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError &error) {
                QWebEngineCertificateError e = error;
                e.rejectCertificate();
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl &, QAuthenticator *auth) { *auth = QAuthenticator(); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl &, QAuthenticator *auth, const QString &) { *auth = QAuthenticator(); });
    connect(this, &QWebEnginePage::selectClientCertificate, this,
            [](QWebEngineClientCertificateSelection selection) { selection.selectNone(); });
}

void GuardedPage::javaScriptAlert(const QUrl &, const QString &) {}

bool GuardedPage::javaScriptConfirm(const QUrl &, const QString &) { return false; }

bool GuardedPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) { return false; }

void GuardedPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                           const QString &)
{
    Q_EMIT consoleMessage(message);
}

QStringList GuardedPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) { return {}; }

QWebEnginePage *GuardedPage::createWindow(WebWindowType) { return nullptr; }

bool GuardedPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A local page may move on only to its own pages; an address the user
    // typed or a reload is ours. (Frames are judged as they load.)
    if (isMainFrame && url.isLocalFile() && type != NavigationTypeTyped && type != NavigationTypeReload
        && !localfiles::mayLoad(this->url(), url, localfiles::Use::Page))
        return false;
    return !m_gate || m_gate(url, isMainFrame);
}
