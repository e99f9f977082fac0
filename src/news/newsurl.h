#pragma once
// Where the news document is fetched from: the build's news host (the CMake cache value
// TONARIA_NEWS_HOST) with the path "/brimware/tonaria_su.txt", unless the environment variable
// TONARIA_NEWS_URL gives a whole http URL of its own (a news server of one's own, or a test's).
//
// Threads: any.
#include <QUrl>

QUrl NewsUrl();
