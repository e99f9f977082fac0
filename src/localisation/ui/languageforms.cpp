#include "localisation/ui/languageforms.h"

#include "localisation/languagemanager.h"
#include "localisation/ui/localiseform.h"

#include <memory>

std::vector<TLanguageForm> &LanguageForms()
{
    static std::vector<TLanguageForm> forms;
    return forms;
}

bool GenerateLanguageFile(TLM &lm, const std::vector<TLanguageForm> &forms, const QString &path)
{
    lm.FindOrAddGroup(QStringLiteral("Globals"));
    for (const TLanguageForm &entry : forms) {
        if (QWidget *form = entry.instance ? entry.instance() : nullptr) {
            LocaliseForm(lm, form, true);
        } else if (entry.create) {
            const std::unique_ptr<QWidget> made(entry.create());
            LocaliseForm(lm, made.get(), true);
        }
    }
    return lm.SaveToFile(path);
}

bool GenerateLanguageFile(const QString &path)
{
    return GenerateLanguageFile(languageManager(), LanguageForms(), path);
}

void LocaliseLanguageForms(TLM &lm, const std::vector<TLanguageForm> &forms)
{
    for (const TLanguageForm &entry : forms) {
        if (QWidget *form = entry.instance ? entry.instance() : nullptr)
            LocaliseForm(lm, form, false);
    }
}

void LocaliseLanguageForms()
{
    LocaliseLanguageForms(languageManager(), LanguageForms());
}
