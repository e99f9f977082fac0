#pragma once
// The news check: fetches the maker's news document over HTTP, keeps a document not seen
// before as a news file (".sun") in the news folder, and asks for the viewer to show it. Every
// step goes to the news log (the preferences' SUStatusLog), which the preferences dialog shows.
//
//     TNewsCheck news(globals, globals.SUFolder);
//     connect(&news, &TNewsCheck::newsStored, ...);   // open the viewer
//     news.ApplyProxy();                              // whenever the preferences are applied
//     news.StartAutomatic();                          // at start-up
//     news.CheckNow();                                // from the menu
//
// A document equal to the last one received (SUNews) is old news and is not stored again; a
// manual check says so in a message box. A body that comes with an HTTP error status (a 404
// page, a proxy's error page) is logged and never taken for news. SUNews takes a document only
// once its file is written, so news that could not be stored is fetched again next time.
//
// Threads: the user-interface thread.

#include "news/httpclient.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class TPreferences;

// A log line for one of the client's notices: the text and a blank (nothing for a notice
// without text), then "Response: <line>. " when a line has been received, then
// "Reason: <phrase>." when the status line had a reason; empty when all three are.
QString NewsLogLine(const QString &text, const QString &lastResponse, const QString &reason);

class TNewsCheck : public QObject {
    Q_OBJECT

public:
    TNewsCheck(TPreferences &preferences, const QString &newsFolder, QObject *parent = nullptr);

    // The proxy of the preferences (SUProxy and its server, port, user name and password).
    void ApplyProxy();
    // The start-up's check, when SUAuto asks for it; with SUAutoIfConnected, only when a
    // network connection is up.
    void StartAutomatic();
    // The menu's check, at once.
    void CheckNow();

    bool Running() const { return client_.Busy(); }
    bool Automatic() const { return automatic_; }
    THttpClient &Client() { return client_; }
    QUrl Url() const { return url_; }
    void SetUrl(const QUrl &url) { url_ = url; }

    // Adds a line to the news log.
    void Log(const QString &line);

    // Whether a network connection is up (the desktop's answer unless replaced).
    std::function<bool()> ConnectionUp;

signals:
    void logged(const QString &line);
    // A new document has been stored at that path: the viewer is to show it.
    void newsStored(const QString &path);

private:
    void Start();
    void ClientNotice(const QString &text);
    void RequestDone(int error);
    void ProcessDocument();
    bool StoreNews(const QString &path, const QByteArray &bytes);

    TPreferences &preferences_;
    QString newsFolder_;
    THttpClient client_;
    QUrl url_;
    bool automatic_ = false;
};
