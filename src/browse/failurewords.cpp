#include "browse/failurewords.h"

#include "cli/output.h"

QString loadFailureWords(const LoadError &error)
{
    // The engine's network error codes (negative): -2xx are certificate errors.
    switch (error.code) {
    case -102: return QStringLiteral("接続が拒否されました");                       // CONNECTION_REFUSED
    case -105:                                                                       // NAME_NOT_RESOLVED
    case -137: return QStringLiteral("ホストが見つかりません");                     // NAME_RESOLUTION_FAILED
    case -7:                                                                         // TIMED_OUT
    case -118: return QStringLiteral("タイムアウト");                               // CONNECTION_TIMED_OUT
    default: break;
    }
    if (error.code <= -200 && error.code > -300)
        return QStringLiteral("証明書エラー");
    // The engine's own name for the code says more than nothing; without a
    // code (the page's process died) there is no such name.
    return error.code != 0 && !error.text.isEmpty() ? QStringLiteral("読み込みエラー: %1").arg(error.text)
                                                    : QStringLiteral("読み込みエラー");
}

QString loadFailedMessage(const QString &address, const LoadError &error)
{
    return QStringLiteral("「%1」を読み込めませんでした（%2）。")
        .arg(cli::addressForMessage(address), loadFailureWords(error));
}
