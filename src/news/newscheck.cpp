#include "news/newscheck.h"

#include "localisation/showmessage.h"
#include "news/networkstate.h"
#include "news/newsdocument.h"
#include "news/newsurl.h"
#include "platform/system/atomicfile.h"
#include "platform/system/messageservice.h"
#include "settings/preferences.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

QString NewsLogLine(const QString &text, const QString &lastResponse, const QString &reason)
{
    QString line = text.isEmpty() ? QString() : text + QLatin1Char(' ');
    if (!lastResponse.isEmpty()) line += QStringLiteral("Response: %1. ").arg(lastResponse);
    if (!reason.isEmpty()) line += QStringLiteral("Reason: %1.").arg(reason);
    return line;
}

TNewsCheck::TNewsCheck(TPreferences &preferences, const QString &newsFolder, QObject *parent)
    : QObject(parent), ConnectionUp(NetworkConnectionUp), preferences_(preferences),
      newsFolder_(newsFolder), url_(NewsUrl())
{
    connect(&client_, &THttpClient::notice, this, &TNewsCheck::ClientNotice);
    connect(&client_, &THttpClient::requestDone, this, &TNewsCheck::RequestDone);
}

void TNewsCheck::ApplyProxy()
{
    const TPreferences &p = preferences_;
    if (p.SUProxy)
        client_.SetProxy(p.SUProxyServer, quint16(p.SUProxyPort), p.SUProxyUsername,
                         p.SUProxyPassword);
    else
        client_.SetProxy({}, 0, {}, {});
}

void TNewsCheck::Log(const QString &line)
{
    preferences_.SUStatusLog.append(line);
    emit logged(line);
}

void TNewsCheck::StartAutomatic()
{
    if (!preferences_.SUAuto) return;
    automatic_ = true;
    Log(QStringLiteral("--Automatic RozedAdivid at startup started--"));
    if (preferences_.SUAutoIfConnected && !(ConnectionUp && ConnectionUp())) {
        automatic_ = false;
        Log(QStringLiteral("No network connection. RozedAdivid cancelled."));
        return;
    }
    Start();
}

void TNewsCheck::CheckNow()
{
    automatic_ = false;
    Start();
}

void TNewsCheck::Start()
{
    if (client_.Busy()) {
        ShowMessageText(THttpClient::BusyText(), MB_ICONERROR);
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    Log(locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
        locale.toString(now.time(), QLocale::LongFormat) +
        QStringLiteral(" - Running RozedAdivid News check. URL: %1.").arg(url_.toString()));
    client_.Get(url_);
}

void TNewsCheck::ClientNotice(const QString &text)
{
    const QString line = NewsLogLine(text, client_.LastResponse(), client_.ReasonPhrase());
    if (!line.isEmpty()) Log(line);
}

void TNewsCheck::RequestDone(int error)
{
    ClientNotice(QStringLiteral("Request done. Error code: %1.").arg(error));
    if (error != 0) Log(QStringLiteral("Error: %1.").arg(client_.ErrorText()));
    ProcessDocument();
    automatic_ = false;
}

void TNewsCheck::ProcessDocument()
{
    const QByteArray &body = client_.Body();
    if (body.isEmpty()) {
        Log(QStringLiteral("Document is empty. Data ignored."));
        return;
    }
    const int status = client_.StatusCode();
    if (status < 200 || status > 299) {
        Log(QStringLiteral("HTTP status %1 is no news. Data ignored.").arg(status));
        return;
    }
    const TNewsDocument document = TNewsDocument::FromBytes(body);
    if (document.Lines() == preferences_.SUNews) {
        Log(QStringLiteral("Old news. Data ignored."));
        if (!automatic_) ShowMessageById(QStringLiteral("InfoNoNews"), {}, MB_ICONINFORMATION);
        return;
    }
    const QString name = document.StoredFileName();
    if (SafeNewsBaseName(document.FileName()) != document.FileName())
        Log(QStringLiteral("Filename \"%1\" reaches outside the news folder; stored as \"%2\".")
                .arg(document.FileName(), name));
    const QString path = newsFolder_ + name;
    // The body as received, byte for byte.
    if (!StoreNews(path, body)) return;
    preferences_.SUNews = document.Lines();
    emit newsStored(path);
}

bool TNewsCheck::StoreNews(const QString &path, const QByteArray &bytes)
{
    for (;;) {
        QString reason;
        if (!QDir().mkpath(newsFolder_))
            reason = QStringLiteral("The folder \"%1\" cannot be made.").arg(newsFolder_);
        else if (WriteFileAtomically(path, bytes, reason))
            return true;
        const int answer =
            ShowMessageText(QStringLiteral("Error loading \"%1\".\n\n%2").arg(path, reason),
                            MB_ICONERROR | MB_RETRYCANCEL);
        if (answer != IDRETRY) return false;
    }
}
