#pragma once

#include <QWebEnginePage>

#include <functional>

// A page that cannot reach the user: no alerts, prompts, file choosers,
// popups, permissions or certificate exceptions. Console messages are handed
// on: completion reports from the injected script arrive that way, marked
// with the page's nonce.
class GuardedPage : public QWebEnginePage
{
    Q_OBJECT
public:
    GuardedPage(QWebEngineProfile *profile, QObject *parent);

    // Marker that prefixes our own console reports; random per page.
    const QString &nonce() const { return m_nonce; }

    // Decides every navigation the engine asks about (address, main frame or
    // not); without one, all go through.
    using NavigationGate = std::function<bool(const QUrl &, bool)>;
    void setNavigationGate(NavigationGate gate) { m_gate = std::move(gate); }

Q_SIGNALS:
    // A console message, handed on as it is (a report can be hundreds of
    // megabytes).
    void consoleMessage(const QString &message);

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    QString m_nonce;
    NavigationGate m_gate;
};
