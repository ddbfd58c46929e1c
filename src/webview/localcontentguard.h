#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Keeps a local page (file:) to its own folder and off the network. The engine's setting
// LocalContentCanAccessRemoteUrls (off) already stops its fetches, images and frames of web
// addresses; LocalContentCanAccessFileUrls must stay on, or the page could not even load its own
// pictures, and with it on a script could read any file of the user. Here every request of a
// local page is blocked unless it is for a file in the page's folder (or below it) or for
// content the page makes itself: no script reads other local files, and nothing, a WebSocket
// included, reaches the network.
class LocalContentGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // Content that never leaves the machine: local files and what a page makes itself.
    static bool isLocal(const QUrl &url);
};
