#include "news/newsurl.h"

#ifndef TONARIA_NEWS_HOST
#error "TONARIA_NEWS_HOST is set by the build"
#endif

QUrl NewsUrl()
{
    const QString custom = qEnvironmentVariable("TONARIA_NEWS_URL").trimmed();
    if (!custom.isEmpty()) {
        const QUrl url(custom, QUrl::StrictMode);
        if (url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty())
            return url;
    }
    return QUrl(QStringLiteral("http://" TONARIA_NEWS_HOST "/brimware/tonaria_su.txt"));
}
