// The lyrics view plug-in as the program loads it: the built lyrics.tpi opened with dlopen and
// driven through PIProc by a host of the test's own, whose title and position the test sets.
#include "core/jukebox.h"
#include "platform/midi/smfbuilder.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "plugins/pihost.h"
#include "plugins/pihost_support.h"
#include "support/drivenclock.h"
#include "support/testenv.h"
#include "support/testwait.h"
#include "tonaria/plugin.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// The host: answers Tonaria's host codes from these values.
struct TTestHost {
    static inline int State = PH_STATE_CLOSED;
    static inline std::intptr_t Position = 0;
    static inline std::intptr_t Length = 0;
    static inline QByteArray FileName;
    static inline int FileNameQueries = 0;
    static constexpr std::intptr_t ViewId = 3;

    static void Proc(TPIMessage *m)
    {
        switch (m->Msg) {
        case PH_REGISTERVIEW:
            if (m->WParam == 0) m->Result = ViewId;
            break;
        case PH_GETSTATE:
            m->Result = State;
            break;
        case PH_GETPOSITION:
            m->Result = Position;
            break;
        case PH_GETLENGTH:
            m->Result = Length;
            break;
        case PH_GETFILENAME:
            ++FileNameQueries;
            if (m->WParam && m->LParam > std::uintptr_t(FileName.size()))
                qstrcpy(reinterpret_cast<char *>(m->WParam), FileName.constData());
            m->Result = FileName.size() + 1;
            break;
        default:
            break;
        }
    }
};

// 480 ticks a quarter, one millisecond a tick until tick 4800, half a millisecond after.
std::int64_t TickMs(std::uint32_t tick)
{
    return tick <= 4800 ? tick : 4800 + (tick - 4800) / 2;
}

// The words of the generated karaoke file: the tick of each syllable, its text as stored, and
// the line and its sung part that the view shows once the syllable is due.
struct TSyllable {
    std::uint32_t Tick;
    QByteArray Stored;
    const char *Line;
    const char *Sung;
};
const TSyllable kSong[] = {
    {1000, "\\Twin", "Twinkle twinkle", "Twin"},
    {1300, "kle ", "Twinkle twinkle", "Twinkle "},
    {1600, "twin", "Twinkle twinkle", "Twinkle twin"},
    {1900, "kle", "Twinkle twinkle", "Twinkle twinkle"},
    {3200, "/Caf\xE9 ", "Caf\xC3\xA9 au lait", "Caf\xC3\xA9 "}, // Windows-1252 in the file
    {3500, "au ", "Caf\xC3\xA9 au lait", "Caf\xC3\xA9 au "},
    {4800, "lait", "Caf\xC3\xA9 au lait", "Caf\xC3\xA9 au lait"},
    {5600, "\\Up ", "Up above", "Up "},
    {5800, "a", "Up above", "Up a"},
    {6000, "bove", "Up above", "Up above"},
};

QByteArray KaraokeFile()
{
    TSmfBuilder smf(1, 480);
    smf.track().tempo(0, 480000).tempo(4800, 240000).endOfTrack(0);
    smf.track()
        .meta(0, 0x01, "@KMIDI KARAOKE FILE")
        .meta(0, 0x01, "@TTwinkle")
        .meta(0, 0x01, "@TTraditional");
    std::uint32_t tick = 0;
    for (const TSyllable &s : kSong) {
        smf.meta(s.Tick - tick, 0x01, s.Stored);
        tick = s.Tick;
    }
    smf.endOfTrack(0);
    // Notes: channel 1 holds middle C from 0 to 1000 ms, channel 10 strikes a 5 ms drum at 500 ms,
    // channel 3 holds E until "all notes off" at 2000 ms; then chords to look at.
    smf.track()
        .noteOn(0, 0, 60)
        .noteOn(0, 2, 64)
        .noteOn(500, 9, 36)
        .event(5, {0x99, 36, 0})
        .noteOff(495, 0, 60)
        .event(1000, {0xB2, 123, 0})
        // Chords on four channels from 3000 ms on.
        .noteOn(1000, 0, 48)
        .noteOn(0, 0, 55)
        .noteOn(0, 0, 64)
        .noteOn(0, 1, 36)
        .noteOn(0, 3, 72)
        .noteOn(0, 3, 76)
        .noteOn(0, 4, 84)
        .noteOn(500, 9, 42)
        .noteOn(0, 9, 38)
        .endOfTrack(2000);
    return smf.build();
}

QWidget *Window()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == u"lyricsWindow") return w;
    return nullptr;
}

// Lets the view finish reading its title, which it does on a thread of its own.
void Settle()
{
    const QWidget *w = Window();
    const auto *follower = w ? w->findChild<QObject *>(QStringLiteral("follower")) : nullptr;
    if (follower) {
        EXPECT_TRUE(WaitUntil([follower] { return !follower->property("loading").toBool(); }));
    }
}

// What the view's words part shows.
QString Panel(const char *property)
{
    const QWidget *w = Window();
    const auto *panel = w ? w->findChild<QWidget *>(QStringLiteral("lyricsPanel")) : nullptr;
    return panel ? panel->property(property).toString() : QStringLiteral("<no panel>");
}

class LyricsView : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = dlopen(TONARIA_LYRICS_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        proc_ = reinterpret_cast<TPIProc>(dlsym(library_, "PIProc"));
        ASSERT_NE(proc_, nullptr);
        TTestHost::State = PH_STATE_CLOSED;
        TTestHost::Position = TTestHost::Length = 0;
        TTestHost::FileName.clear();
        ASSERT_EQ(Send(PI_INITIALIZE), 1);
        ASSERT_EQ(Send(PI_SETHOST, reinterpret_cast<std::uintptr_t>(&TTestHost::Proc), 0), 1);
        Send(PI_START);
    }
    void TearDown() override
    {
        if (!proc_) return;
        Send(PI_SHUTDOWN);
        EXPECT_EQ(Window(), nullptr);
        Send(PI_FINALIZE);
        // The library stays loaded, as in the program.
    }

    std::intptr_t Send(std::uint32_t code, std::uintptr_t w = 0, std::uintptr_t l = 0)
    {
        TPIMessage m{code, w, l, 0};
        proc_(&m);
        return m.Result;
    }
    std::intptr_t View(std::uint32_t code, std::uintptr_t p1 = 0, std::uintptr_t p2 = 0,
                       std::uintptr_t viewId = TTestHost::ViewId)
    {
        TPISubMessage sub{code, p1, p2, 0};
        return Send(PI_VIEWMSG, viewId, reinterpret_cast<std::uintptr_t>(&sub));
    }
    void Load(const QString &path, int state = PH_STATE_PLAYING)
    {
        TTestHost::FileName = path.toUtf8();
        TTestHost::State = state;
        TTestHost::Length = 7000;
        View(VM_SETVISIBLE, 1);
        Send(PI_NOTIFYDISPLAY);
        Settle();
    }
    // The host has moved on and refreshed its display.
    void At(std::int64_t ms)
    {
        TTestHost::Position = ms;
        Send(PI_NOTIFYDISPLAY);
        Settle();
    }

    static QStringList Lit()
    {
        const auto *keys = Window()->findChild<QWidget *>(QStringLiteral("channelKeys"));
        return keys->property("litNotes").toStringList();
    }
    static QTimer *FollowTimer()
    {
        return Window()->findChild<QTimer *>(QStringLiteral("followTimer"));
    }

    TTestEnvironment env_;
    void *library_ = nullptr;
    TPIProc proc_ = nullptr;
};

TEST_F(LyricsView, AnswersTheHostsQueriesAndShowsAndHidesItsWindow)
{
    char small[8];
    EXPECT_EQ(Send(PI_GETNAME), 7);
    EXPECT_EQ(Send(PI_GETTITLE, reinterpret_cast<std::uintptr_t>(small), 6), 16);
    EXPECT_STREQ(small, "Lyric");
    EXPECT_EQ(Send(PI_CONFIGURE), 0); // nothing to set: the host shows the about box
    const std::intptr_t size = View(VM_GETCAPTION);
    QByteArray caption(size, 'x');
    EXPECT_EQ(View(VM_GETCAPTION, reinterpret_cast<std::uintptr_t>(caption.data()), size), size);
    EXPECT_STREQ(caption.constData(), "Lyrics and keys");

    EXPECT_EQ(View(VM_ISVISIBLE), 0);
    View(VM_SETVISIBLE, 1, 0, TTestHost::ViewId + 1); // not this plug-in's view
    EXPECT_EQ(Window(), nullptr);
    View(VM_SETVISIBLE, 1);
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(View(VM_ISVISIBLE), 1);
    EXPECT_EQ(Panel("messageText"), "No title is loaded.");
    View(VM_SETVISIBLE, 0);
    EXPECT_EQ(View(VM_ISVISIBLE), 0);
    View(VM_SETVISIBLE, 1);
    Window()->close(); // the user closes it: the menu's check mark follows
    EXPECT_EQ(View(VM_ISVISIBLE), 0);
}

TEST_F(LyricsView, EachSyllableIsLitWithin50msOfItsTime)
{
    Load(env_.writeFile(QStringLiteral("twinkle.kar"), KaraokeFile()), PH_STATE_PAUSED);
    EXPECT_EQ(Panel("titleText"), QString::fromUtf8("Twinkle \u2014 Traditional"));
    At(0);
    EXPECT_EQ(Panel("lineText"), "Twinkle twinkle"); // the first line waits, unsung
    EXPECT_EQ(Panel("sungText"), "");
    EXPECT_EQ(Panel("nextLineText"), QString::fromUtf8("Caf\xC3\xA9 au lait"));

    for (const TSyllable &s : kSong) {
        const std::int64_t due = TickMs(s.Tick);
        SCOPED_TRACE(s.Sung);
        At(due - 50); // not yet
        EXPECT_NE(Panel("sungText"), QString::fromUtf8(s.Sung));
        At(due);
        EXPECT_EQ(Panel("lineText"), QString::fromUtf8(s.Line));
        EXPECT_EQ(Panel("sungText"), QString::fromUtf8(s.Sung));
        At(due + 40);
        EXPECT_EQ(Panel("sungText"), QString::fromUtf8(s.Sung));
        if (s.Tick == 3500 && qEnvironmentVariableIsSet("TONARIA_SCREENS_DIR"))
            Window()->grab().save(qEnvironmentVariable("TONARIA_SCREENS_DIR") + "/lyrics.png");
    }
    At(0); // back to the start
    EXPECT_EQ(Panel("sungText"), "");
}

TEST_F(LyricsView, KeysLightTheNotesSoundingOnEachChannel)
{
    Load(env_.writeFile(QStringLiteral("twinkle.kar"), KaraokeFile()));
    const std::pair<std::int64_t, QStringList> expected[] = {
        {0, {"1:60", "3:64"}},
        {550, {"1:60", "3:64", "10:36"}}, // a short drum shows for a while
        {700, {"1:60", "3:64"}},
        {1000, {"3:64"}},
        {2000, {}}, // all notes off
    };
    for (const auto &[ms, lit] : expected) {
        At(ms);
        EXPECT_EQ(Lit(), lit) << ms;
    }
}

TEST_F(LyricsView, FollowsAPlayingTitleOnItsOwnTimerAndANewTitleOnRefresh)
{
    Load(env_.writeFile(QStringLiteral("twinkle.kar"), KaraokeFile()));
    At(0);
    ASSERT_TRUE(FollowTimer()->isActive());
    const int queries = TTestHost::FileNameQueries;
    TTestHost::Position = 1300; // no refresh from the host: the timer finds it
    EXPECT_TRUE(WaitUntil([] { return Panel("sungText") == "Twinkle "; }, 5000));
    EXPECT_EQ(TTestHost::FileNameQueries, queries); // same title: not asked again

    // A plain MIDI file whose words are UTF-8 lyric events with line feeds.
    TSmfBuilder smf(0, 480);
    smf.track()
        .tempo(0, 480000)
        .meta(100, 0x05, "Gr\xC3\xBC\xC3\x9F")
        .meta(100, 0x05, "e\n")
        .meta(100, 0x05, "dich")
        .endOfTrack(0);
    // Another title comes while one is still being read: the last one wins.
    TTestHost::FileName = env_.writeFile(QStringLiteral("other.kar"), KaraokeFile()).toUtf8();
    Send(PI_NOTIFYDISPLAY);
    TTestHost::FileName = env_.writeFile(QStringLiteral("gruss.mid"), smf.build()).toUtf8();
    At(150);
    EXPECT_EQ(Panel("lineText"), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                                   "e"));
    EXPECT_EQ(Panel("nextLineText"), "dich");
    EXPECT_EQ(Panel("titleText"), "gruss");

    TTestHost::State = PH_STATE_STOPPED;
    Send(PI_NOTIFYCONTROLS);
    EXPECT_FALSE(FollowTimer()->isActive());
    TTestHost::State = PH_STATE_PLAYING;
    Send(PI_NOTIFYCONTROLS);
    EXPECT_TRUE(FollowTimer()->isActive());
    View(VM_SETVISIBLE, 0);
    EXPECT_FALSE(FollowTimer()->isActive());
}

TEST_F(LyricsView, HostileFilesShowNoWordsAndNoCrash)
{
    const QByteArray song = KaraokeFile();
    QByteArray hugeLengths(
        "MThd\xFF\xFF\xFF\xF0\x00\x01\x00\x02\x01\xE0MTrk\x7F\xFF\xFF\xFF\xFF\x01", 24);
    QByteArray hugeTrack = song;
    hugeTrack.replace(song.lastIndexOf("MTrk") + 4, 4, "\xFF\xFF\xFF\xF0");
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 251);
    const std::pair<const char *, QByteArray> files[] = {
        {"header.kar", song.left(10)},         {"garbage.kar", garbage},
        {"garbagemidi.kar", "MThd" + garbage}, {"lengths.kar", hugeLengths},
        {"empty.kar", QByteArray()},
    };
    for (const auto &[name, bytes] : files) {
        Load(env_.writeFile(QString::fromLatin1(name), bytes));
        At(1300);
        EXPECT_EQ(Panel("lineText"), "") << name;
        EXPECT_NE(Panel("messageText"), "") << name;
    }
    // A track whose length runs past the end, or that is cut short, is read as far as it goes.
    for (const QByteArray &bytes : {hugeTrack, song.left(song.size() - 5)}) {
        Load(env_.writeFile(QStringLiteral("clipped.kar"), bytes));
        At(1300);
        EXPECT_EQ(Panel("sungText"), "Twinkle ");
        TTestHost::FileName.clear(); // the next one is a new title
        Send(PI_NOTIFYDISPLAY);
    }

    // A file larger than any song is not read.
    const QString huge = env_.writeFile(QStringLiteral("huge.kar"), song);
    QFile(huge).resize(64 * 1024 * 1024);
    Load(huge);
    At(1300);
    EXPECT_EQ(Panel("lineText"), "");
    EXPECT_EQ(Panel("messageText"), "The file is too large to be a song.");
}

// The whole way: the program's own host loads the built plug-in, its View menu's calls show the
// view, and the view follows the title the program has loaded and its display refreshes.
TEST(LyricsViewInTheProgram, FollowsTheLoadedTitle)
{
    UseTestSoundFont();
    TTestEnvironment env;
    TDrivenClock clock;
    TScriptedMessageService messages;
    const QString kar = env.writeFile(QStringLiteral("twinkle.kar"), KaraokeFile());
    WritePluginList(env, {QStringLiteral(TONARIA_LYRICS_PLUGIN)});
    auto jukebox = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
    jukebox->StartUp(ParseCommandLine({kar}));
    jukebox->FinishStartUp();
    EXPECT_TRUE(messages.boxes().empty());

    TPIHost &host = jukebox->PluginHost();
    ASSERT_EQ(host.ViewIDs().size(), 1u);
    const int view = host.ViewIDs().front();
    EXPECT_EQ(host.ViewCaption(view), "Lyrics and keys");
    host.SetViewVisible(view, true);
    Settle();
    EXPECT_TRUE(host.ViewVisible(view));
    EXPECT_EQ(Panel("titleText"), QString::fromUtf8("Twinkle \u2014 Traditional"));
    EXPECT_EQ(Panel("lineText"), "Twinkle twinkle");

    jukebox->Player().Seek(1300);
    // The program refreshes its display, as its ticker has it do, and tells its plug-ins.
    jukebox->Post(TStationCommand::Display);
    QCoreApplication::processEvents();
    EXPECT_EQ(Panel("sungText"), "Twinkle ");

    jukebox.reset(); // the window goes with the program's end
    EXPECT_EQ(Window(), nullptr);
}

} // namespace
