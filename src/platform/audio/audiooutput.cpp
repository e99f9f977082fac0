#include "platform/audio/audiooutput.h"

#include "platform/audio/nullaudiooutput.h"
#include "platform/audio/renderaudiooutput.h"
#include "platform/audio/sdlaudiooutput.h"
#include "platform/audio/wavaudiooutput.h"

#include <QStringList>
#include <QtGlobal>

namespace {

using Opener = std::unique_ptr<TAudioOutput> (*)(const QString &path, QString *error);

struct TBackend {
    const char *word;
    bool takesPath;
    Opener open;
    // The back-end to open when this one cannot be opened, or null.
    const char *fallback;
};

std::unique_ptr<TAudioOutput> openSdl(const QString &, QString *error)
{
    return TSdlAudioOutput::open(error);
}

std::unique_ptr<TAudioOutput> openNull(const QString &, QString *)
{
    return std::make_unique<TNullAudioOutput>();
}

std::unique_ptr<TAudioOutput> openWav(const QString &path, QString *error)
{
    return TWavAudioOutput::open(path, error);
}

std::unique_ptr<TAudioOutput> openRender(const QString &path, QString *error)
{
    return TRenderAudioOutput::open(path, error);
}

// In order of preference; the first is the default.
constexpr TBackend Backends[] = {
    {"sdl", false, openSdl, "null"},
    {"null", false, openNull, nullptr},
    {"wav", true, openWav, "null"},
    {"render", true, openRender, nullptr},
};

const TBackend *findBackend(const QString &word)
{
    for (const TBackend &backend : Backends)
        if (word.compare(QLatin1StringView(backend.word), Qt::CaseInsensitive) == 0)
            return &backend;
    return nullptr;
}

} // namespace

TAudioOutput::~TAudioOutput() = default;

std::unique_ptr<TAudioOutput> TAudioOutput::create(const QString &choice, QString *notice)
{
    QStringList notes;
    // No choice at all means the default.
    const QString text =
        choice.trimmed().isEmpty() ? QString::fromLatin1(Backends[0].word) : choice.trimmed();
    // "wav:/a/b:c.wav": the word ends at the first colon; the rest, colons and all, is the path.
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString word = colon < 0 ? text : text.left(colon);
    const QString path = colon < 0 ? QString() : text.mid(colon + 1);

    const TBackend *backend = findBackend(word);
    if (!backend || backend->takesPath != (colon >= 0)) {
        backend = &Backends[0];
        notes << QStringLiteral("Unknown audio output \"%1\" (expected sdl, null, wav:FILE or "
                                "render:FILE); using %2.")
                     .arg(text, QLatin1StringView(backend->word));
    }

    std::unique_ptr<TAudioOutput> output;
    for (; backend; backend = backend->fallback
                                  ? findBackend(QString::fromLatin1(backend->fallback))
                                  : nullptr) {
        QString error;
        if (backend->takesPath && path.isEmpty()) {
            error = QStringLiteral("The audio output \"%1\" needs a file name after the colon")
                        .arg(text);
        } else {
            output = backend->open(path, &error);
            if (output) break;
            if (error.isEmpty())
                error = QStringLiteral("The audio output \"%1\" could not be opened").arg(text);
        }
        notes << error + (backend->fallback ? QStringLiteral("; playing without sound.")
                                            : QStringLiteral("."));
    }
    if (notice) *notice = notes.join(QLatin1Char(' '));
    return output;
}

std::unique_ptr<TAudioOutput> TAudioOutput::createFromEnvironment(QString *notice)
{
    return create(qEnvironmentVariable("TONARIA_AUDIO"), notice);
}
