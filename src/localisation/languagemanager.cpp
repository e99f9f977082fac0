#include "localisation/languagemanager.h"

#include <QDir>

TLM &languageManager()
{
    static TLM manager;
    return manager;
}

bool LoadLanguage(const QString &langFolder, const QString &language)
{
    return LoadLanguage(languageManager(), langFolder, language);
}

bool LoadLanguage(TLM &lm, const QString &langFolder, const QString &language)
{
    lm.Clear();
    if (language.isEmpty()) return false;
    const QDir folder(langFolder);
    if (language != QLatin1String("English"))
        lm.LoadFromFile(folder.filePath(QStringLiteral("English.tlg")));
    return lm.LoadFromFile(folder.filePath(language + QStringLiteral(".tlg")));
}
