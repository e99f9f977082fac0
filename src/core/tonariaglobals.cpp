#include "core/tonariaglobals.h"

#include "core/timersource.h"
#include "core/transport.h"
#include "library/albumheader.h"
#include "localisation/languagemanager.h"
#include "localisation/showmessage.h"
#include "platform/mci/mcilayer.h"
#include "platform/midiout/builtinmidiout.h"
#include "platform/midiout/midiportdevices.h"
#include "platform/system/asciicase.h"
#include "platform/system/messageservice.h"
#include "platform/system/programfolder.h"
#include "platform/system/tempfolder.h"
#include "playback/sonoricplayer.h"
#include "plugins/pishipping.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

TTonariaGlobals *theGlobals = nullptr;

// Album captions compare letter by letter with the ASCII letters folded to one case.
bool CaptionLess(const std::unique_ptr<TAlbum> &a, const std::unique_ptr<TAlbum> &b)
{
    return CompareAsciiNoCase(a->Caption, b->Caption) < 0;
}

} // namespace

TTonariaGlobals &Globals()
{
    Q_ASSERT(theGlobals);
    return *theGlobals;
}

bool HasGlobals()
{
    return theGlobals != nullptr;
}

TTonariaGlobals::TTonariaGlobals(const QString &executablePath, int colourDepth,
                                 TTimerSource *timers)
    : TPreferences(colourDepth), registryStore_(TRegistryStore::defaultFilePath()),
      albumFile_(TAlbumFile::TContext{})
{
    ExecutablePath = QFileInfo(executablePath).absoluteFilePath();
    ExeFolder = LocateProgramFolder(QFileInfo(ExecutablePath).absolutePath());
    QDir().mkpath(ExeFolder);
    // The program folder gets the shipped files it lacks; the user's own files stay.
    const TSeedResult seeded = SeedProgramFolder(ExeFolder, ShippedDataFolder());
    for (const QString &failure : seeded.failed)
        ShowMessageText(QStringLiteral("Cannot copy the shipped file %1").arg(failure),
                        MB_ICONERROR);

    AlbumsFolder = ExeFolder + QStringLiteral("Albums/");
    CDFolder = ExeFolder + QStringLiteral("CD/");
    DefaultThemeFolder = ExeFolder + QStringLiteral("Themes/Default/");
    LangFolder = ExeFolder + QStringLiteral("Lang/");
    PluginsFolder = ExeFolder + QStringLiteral("Plugins/");
    for (const QString &failure : ShipPlugins(PluginsFolder, ShippedPluginsFolder()))
        ShowMessageText(QStringLiteral("Cannot copy the shipped plug-in %1").arg(failure),
                        MB_ICONERROR);
    ResetFolder = ExeFolder + QStringLiteral("Reset/");
    SUFolder = ExeFolder + QStringLiteral("SU/");
    ThemesFolder = ExeFolder + QStringLiteral("Themes/");
    QDir().mkpath(AlbumsFolder);

    const TTempFolder temp = PreparePrivateTempFolder();
    TempFolder = temp.path;
    if (!temp.refused.isEmpty())
        ShowMessageById(QStringLiteral("ErrCannotCreateTempDir"), {temp.refused}, MB_ICONERROR);

    ZipMan = std::make_unique<TZipMan>(TempFolder);

    // The media devices include one for each MIDI port, so that a title can be bound to a
    // synthesizer there; plug-ins get the built-in synthesizer as MIDI output device 0, heard in
    // the same mix as the titles.
    TMciLayer &media = TMciLayer::instance();
    RegisterMidiPortDevices(media);
    AttachBuiltInMidiOut(media);

    albumFile_ = TAlbumFile(TAlbumFile::TContext{
        AlbumsFolder, [this](const TAlbum &album) { return &album == SystemAlbum; },
        [this](TAlbum &album) {
            if (OnAlbumLoaded) OnAlbumLoaded(album);
        }});

    transport_ = std::make_unique<TTransport>(*this, timers ? *timers : SystemTimerSource());
    QObject::connect(transport_.get(), &TTransport::controlsChanged, [this] { UpdateControls(); });
    QObject::connect(transport_.get(), &TTransport::displayChanged, [this] { UpdateDisplay(); });

    theGlobals = this;
    SetLibraryListener(this);
}

TTonariaGlobals::~TTonariaGlobals()
{
    transport_.reset();
    CurrentAlbum = nullptr;
    SystemAlbum = nullptr;
    Albums.clear();
    SetLibraryListener(nullptr);
    ZipMan.reset(); // removes what it unpacked, before the folder goes
    if (theGlobals == this) theGlobals = nullptr;
    // Only an empty folder goes; whatever is still unpacked there stays for the next start.
    if (!TempFolder.isEmpty()) QDir().rmdir(TempFolder);
}

void TTonariaGlobals::LoadAlbumList()
{
    CurrentAlbum = nullptr;
    SystemAlbum = nullptr;
    Albums.clear();

    QDir folder(AlbumsFolder);
    const QStringList names =
        folder.entryList({QStringLiteral("*.tal")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        const TAlbumHeader header = ReadAlbumHeader(path);
        // A file that cannot be read is passed over; it is still there for the next start.
        if (header.Unreadable) continue;
        auto album = TAlbum::CreateAlbum();
        album->FileName = path;
        album->Caption = header.Caption;
        if (header.SystemAlbum) SystemAlbum = album.get();
        Albums.push_back(std::move(album));
    }

    if (!SystemAlbum) {
        auto album = TAlbum::CreateAlbum();
        album->Caption = QStringLiteral("Temporary");
        TAlbum *created = album.get();
        Albums.push_back(std::move(album));
        // Saved before it becomes the system album: the station's start-up writes the mark.
        albumFile_.Save(*created);
        SystemAlbum = created;
    }

    SortAlbums();
    if (!Albums.empty()) CurrentAlbum = Albums.front().get();
}

void TTonariaGlobals::SortAlbums()
{
    std::sort(Albums.begin(), Albums.end(), CaptionLess);
    auto system = std::find_if(Albums.begin(), Albums.end(),
                               [this](const auto &a) { return a.get() == SystemAlbum; });
    if (system != Albums.end() && system != Albums.begin())
        std::rotate(Albums.begin(), system, system + 1);
}

void TTonariaGlobals::SetCurrentAlbum(TAlbum *album)
{
    if (album == CurrentAlbum) return;
    if (CurrentAlbum) {
        albumFile_.Save(*CurrentAlbum);
        CurrentAlbum->Unload();
    }
    CurrentAlbum = album;
    if (CurrentAlbum) albumFile_.Load(*CurrentAlbum);
    UpdateControls();
}

int TTonariaGlobals::CurrentAlbumIndex() const
{
    for (std::size_t i = 0; i < Albums.size(); ++i)
        if (Albums[i].get() == CurrentAlbum) return static_cast<int>(i);
    return -1;
}

bool TTonariaGlobals::IsTitleLoaded() const
{
    return (Player && Player->Opened()) || LoadedTitle != nullptr;
}

QString TTonariaGlobals::TitleFilePath(const QString &fileName) const
{
    if (fileName.isEmpty() || QDir::isAbsolutePath(fileName)) return fileName;
    return ExeFolder + fileName;
}

QString TTonariaGlobals::PadNumber(int value, int width)
{
    QString text = QString::number(value);
    if (text.size() < width) text.prepend(QString(width - text.size(), QLatin1Char('0')));
    return text;
}

bool TTonariaGlobals::LoadLanguage()
{
    return ::LoadLanguage(LangFolder, Lang);
}

void TTonariaGlobals::LoadPreferences()
{
    QString error;
    if (!registryStore_.load(&error)) ShowMessageText(error, MB_ICONERROR);
    TRegistry registry(registryStore_);
    registry.SetRootKey(TRegistry::THive::CurrentUser);
    // A first start finds no plug-in list yet: it takes the plug-ins that came with the program.
    const bool firstStart = !registry.KeyExists(kPluginsKey);
    TPreferences::LoadPreferences(registry);
    if (firstStart) PluginList = FoundPlugins(PluginsFolder);
}

bool TTonariaGlobals::SavePreferences()
{
    TRegistry registry(registryStore_);
    QString error;
    const int index = CurrentAlbumIndex();
    CurAlbum = index;
    if (TPreferences::SavePreferences(registry, index, ExecutablePath, &error)) return true;
    ShowMessageText(error, MB_ICONERROR);
    return false;
}

void TTonariaGlobals::ApplyPreferences()
{
    LoadLanguage();
    if (Player) Player->SetFileMIDIReset(Reset ? ResetFolder + ResetFile : QString());
}

void TTonariaGlobals::TitleDisposed(const TTitle *title)
{
    if (LoadedTitleSource == title) LoadedTitleSource = nullptr;
}

void TTonariaGlobals::InternalProgramNotDeleted(const TProgram &program)
{
    ShowMessageById(QStringLiteral("ErrCannotRemoveInternalProgram"), {program.Caption},
                    MB_ICONERROR);
}
