#pragma once
// The windows a language file is generated from, and the generation itself.
//
// The station fills LanguageForms() once at start-up, in this order: About box, albums
// editor, choose dialog, display window, floating bar, preferences dialog, programs editor,
// rename dialog, news viewer, splash window, main form, titles editor. Each entry can make a
// new window of its kind and tells the window that exists at the moment, if any.
//
// Threads: main thread only.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class TLM;

struct TLanguageForm {
    // Makes a new window of this kind with no owner; the caller deletes it.
    std::function<QWidget *()> create;
    // The window of this kind that exists now, or nullptr.
    std::function<QWidget *()> instance;
};

// An entry for a window class constructible with a parent, whose single instance is kept in
// the given slot (a plain pointer or a QPointer that outlives the list).
template <class TForm> TLanguageForm MakeLanguageForm(TForm *const *slot)
{
    return {[] { return static_cast<QWidget *>(new TForm(nullptr)); },
            [slot] { return static_cast<QWidget *>(*slot); }};
}
template <class TForm> TLanguageForm MakeLanguageForm(const QPointer<TForm> *slot)
{
    return {[] { return static_cast<QWidget *>(new TForm(nullptr)); },
            [slot] { return static_cast<QWidget *>(slot->data()); }};
}

// The program's list.
std::vector<TLanguageForm> &LanguageForms();

// Writes a complete language file: makes sure "Globals" exists (its messages are written as
// they are in memory, never pruned), then localises every window of the list in generate
// mode (a window that does not exist is made for the purpose and deleted again), then saves.
// Returns the result of the save. The manager keeps the generated state.
bool GenerateLanguageFile(TLM &lm, const std::vector<TLanguageForm> &forms, const QString &path);
// With the program's language manager and list.
bool GenerateLanguageFile(const QString &path);

// Localises every window of the list that exists now (after the language is loaded).
void LocaliseLanguageForms(TLM &lm, const std::vector<TLanguageForm> &forms);
void LocaliseLanguageForms();
