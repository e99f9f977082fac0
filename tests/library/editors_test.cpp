// The library editors over a real jukebox, driven by key events and by real drop events: the
// commands with their questions, the drag-and-drop rules, the undo of the last deletion, and
// the album files, which after every editing session hold what the model holds.
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/albumwriter.h"
#include "library/ui/editorlistview.h"
#include "library/ui/libraryeditors.h"
#include "library/ui/sortmenu.h"
#include "library/ui/tfalbums.h"
#include "library/ui/tfchoose.h"
#include "library/ui/tfprograms.h"
#include "library/ui/tfrename.h"
#include "library/ui/tftitles.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "platform/system/textdecoding.h"
#include "playback/player_support.h"
#include "support/drivenclock.h"
#include "support/testenv.h"
#include "localisation/printqt.h"

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

QStringList Captions(const std::vector<TTitle *> &titles)
{
    QStringList result;
    for (const TTitle *title : titles)
        result << title->Caption;
    return result;
}

// Runs `answer` on the next modal dialog once it is up (rename, choice).
void WhenModal(std::function<void(QDialog *)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        answer(dialog);
    });
}

// A drop of the source's selected rows at a point of the target's viewport; true when taken.
bool DropAt(TEditorListView *source, TEditorListView *target, QPoint point)
{
    std::unique_ptr<QMimeData> data(source->DragData());
    if (!data) return false;
    QDragEnterEvent enter(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &enter);
    QDragMoveEvent move(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(point), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &drop);
    return drop.isAccepted();
}

// A point inside a row: its top quarter (the gap above it) or its bottom quarter (below it).
QPoint Upper(TEditorListView *list, int row)
{
    const QRect r = list->visualRect(list->model()->index(row, 0));
    return {r.center().x(), r.top() + r.height() / 4};
}
QPoint Lower(TEditorListView *list, int row)
{
    const QRect r = list->visualRect(list->model()->index(row, 0));
    return {r.center().x(), r.bottom() - r.height() / 4};
}

class EditorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        QDir().mkpath(env.home() + QStringLiteral("Albums"));
        WriteAlbum(QStringLiteral("evening.tal"), "Evening",
                   {"Nocturne", "Waltz", "Prelude", "Etude", "Ballade"}, "Favourites=1 3");
        WriteAlbum(QStringLiteral("morning.tal"), "Morning", {"Aubade"}, {});
        jukebox = std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        jukebox->StartUp(ParseCommandLine({}));
        g().SetCurrentAlbum(Album("Evening"));
        editors = std::make_unique<TLibraryEditors>(*jukebox);
        boxes.clear(); // the player's word on the titles' missing files
    }
    void TearDown() override
    {
        editors.reset();
        jukebox.reset();
    }

    TTonariaGlobals &g() const { return jukebox->GlobalState(); }
    // The album of that caption; the test ends here when there is none.
    [[gnu::returns_nonnull]] TAlbum *Album(const char *caption) const
    {
        for (const auto &album : g().Albums)
            if (album->Caption == QLatin1String(caption)) return album.get();
        std::fprintf(stderr, "no album \"%s\"\n", caption);
        std::abort();
    }
    // An album file whose custom program is "name=links" when given.
    void WriteAlbum(const QString &file, const QByteArray &caption, const QList<QByteArray> &titles,
                    const QByteArray &custom)
    {
        QByteArray text = "[Album]\r\nCaption=" + caption + "\r\n[Titles]\r\n";
        for (const QByteArray &t : titles)
            text += t + ",/music/" + t.toLower() + ".mid,-1,\r\n";
        if (!custom.isEmpty()) {
            const QList<QByteArray> parts = custom.split('=');
            text += "[CProg]\r\nCaption=" + parts[0] + "\r\nProgramType=0\r\nLinks=" + parts[1] +
                    "\r\n";
        }
        QFile f(env.home() + QStringLiteral("Albums/") + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // What the album's file holds is exactly what the model holds.
    void ExpectFileHoldsModel(const TAlbum &album) const
    {
        ASSERT_FALSE(album.FileName.isEmpty());
        EXPECT_EQ(DecodeText(TTestEnvironment::readFile(album.FileName)),
                  AlbumFileText(album, &album == g().SystemAlbum))
            << album.Caption.toStdString();
    }
    template <class TForm>
    std::unique_ptr<TForm> Open()
    {
        auto form = std::make_unique<TForm>(*editors);
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    std::unique_ptr<TJukebox> jukebox;
    std::unique_ptr<TLibraryEditors> editors;
};

} // namespace

TEST_F(EditorsTest, RenameDialogKeepsTheNameOnCancelAndRefusesAnEmptyOne)
{
    WhenModal([](QDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(TfRename::Execute(QStringLiteral("Old")), QStringLiteral("Old"));

    WhenModal([](QDialog *dialog) {
        auto *rename = static_cast<TfRename *>(dialog);
        rename->Field()->clear();
        QTest::keyClicks(rename->Field(), QStringLiteral("   "));
        EXPECT_FALSE(rename->OkButton()->isEnabled());
        QTest::keyClick(rename->Field(), Qt::Key_Return); // OK is disabled: nothing happens
        rename->Field()->setText(QStringLiteral("New name"));
        EXPECT_TRUE(rename->OkButton()->isEnabled());
        // A second rename while this one is open answers at once with the current name.
        EXPECT_EQ(TfRename::Execute(QStringLiteral("Other")), QStringLiteral("Other"));
        QTest::mouseClick(rename->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(TfRename::Execute(QStringLiteral("Old")), QStringLiteral("New name"));
}

TEST_F(EditorsTest, TitlesEditorDeletesAsTheProgramSaysAndUndoes)
{
    TAlbum *evening = Album("Evening");
    {
        auto form = Open<TfTitles>();
        // Normal: a warning, and Yes takes the title out of the album.
        form->List()->SelectRows({1});
        EXPECT_EQ(form->CaptionField()->text(), QStringLiteral("Waltz"));
        boxes.queueAnswer(IDYES);
        QTest::keyClick(form->List(), Qt::Key_Delete, Qt::ControlModifier);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("\"Waltz\"")));
        EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_YESNO | MB_ICONWARNING));
        EXPECT_EQ(Captions(evening->Titles),
                  QStringList({"Nocturne", "Prelude", "Etude", "Ballade"}));
        EXPECT_EQ(form->List()->SelectedRows(), std::vector<int>({1}));
        // Ctrl+Z brings it back where it was, in every program.
        QTest::keyClick(form->List(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Captions(evening->Titles),
                  QStringList({"Nocturne", "Waltz", "Prelude", "Etude", "Ballade"}));
        EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles), QStringList({"Waltz", "Etude"}));

        // A custom program: a question; No takes it out of the program only.
        evening->SetCurrentProgram(evening->CustomPrograms[0].get());
        form->close();
        form = Open<TfTitles>();
        form->List()->SelectRows({0});
        boxes.queueAnswer(IDNO);
        form->aDelete->trigger();
        EXPECT_EQ(boxes.boxes().back().flags, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));
        EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles), QStringList({"Etude"}));
        EXPECT_EQ(evening->Titles.size(), 5u);
        // Cancel changes nothing.
        form->List()->SelectRows({0});
        boxes.queueAnswer(IDCANCEL);
        form->aDelete->trigger();
        EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles), QStringList({"Etude"}));

        // Fields are written back as they are typed; the row follows the caption.
        form->CaptionField()->selectAll();
        QTest::keyClicks(form->CaptionField(), QStringLiteral("Study"));
        EXPECT_EQ(evening->CustomPrograms[0]->Titles[0]->Caption, QStringLiteral("Study"));
        EXPECT_EQ(form->List()->model()->index(0, 0).data().toString(), QStringLiteral("Study"));

        // New: a default title, appended to the custom program and selected.
        QTest::keyClick(form->List(), Qt::Key_Insert);
        EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles),
                  QStringList({"Study", "Default Title name"}));
        EXPECT_EQ(form->List()->SelectedRows(), std::vector<int>({1}));
        EXPECT_EQ(form->CaptionField()->text(), QStringLiteral("Default Title name"));
        form->close();
    }
    ExpectFileHoldsModel(*evening);
}

TEST_F(EditorsTest, TitlesEditorShowsTheTrackNumberOnlyForATrackDevice)
{
    auto form = Open<TfTitles>();
    form->List()->SelectRows({0});
    const auto &devices = jukebox->Player().Devices();
    const auto track = std::find_if(devices.begin(), devices.end(),
                                    [](const auto &d) { return !d->UsesFiles; });
    form->DeviceField()->setEditText(QStringLiteral("sequencer"));
    EXPECT_TRUE(form->TrackField()->isHidden());
    if (track == devices.end()) return; // no device without files here
    form->DeviceField()->setEditText((*track)->Name.toUpper());
    EXPECT_FALSE(form->TrackField()->isHidden());
}

TEST_F(EditorsTest, ProgramsEditorDropRules)
{
    TAlbum *evening = Album("Evening");
    auto form = Open<TfPrograms>();
    TEditorListView *programs = form->ProgramsList();
    TEditorListView *inProgram = form->ProgramTitlesList();
    TEditorListView *inAlbum = form->AlbumTitlesList();

    // An internal program is selected: "Titles in program" takes nothing.
    form->SelectProgram(0);
    inAlbum->SelectRows({0});
    EXPECT_FALSE(DropAt(inAlbum, inProgram, Upper(inProgram, 0)));
    // Album titles onto the "Shuffle" row are refused; onto the custom program they join it.
    EXPECT_FALSE(DropAt(inAlbum, programs, Upper(programs, 1)));
    inAlbum->SelectRows({0, 1});
    EXPECT_TRUE(DropAt(inAlbum, programs, Upper(programs, 3)));
    EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles),
              QStringList({"Waltz", "Etude", "Nocturne"}));
    // "Titles in album" takes nothing.
    EXPECT_FALSE(DropAt(inAlbum, inAlbum, Lower(inAlbum, 4)));

    // With the custom program selected, album titles go in at the gap under the pointer.
    form->SelectProgram(3);
    inAlbum->SelectRows({4});
    EXPECT_TRUE(DropAt(inAlbum, inProgram, Lower(inProgram, 0))); // the gap below row 0
    EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles),
              QStringList({"Waltz", "Ballade", "Etude", "Nocturne"}));
    // Dropping on one of the dragged rows is refused.
    inProgram->SelectRows({1, 2});
    EXPECT_FALSE(DropAt(inProgram, inProgram, Upper(inProgram, 2)));
    // Three rows dragged below the last row move, in order, to the end.
    inProgram->SelectRows({0, 1, 2});
    const QRect last = inProgram->visualRect(inProgram->model()->index(3, 0));
    EXPECT_TRUE(DropAt(inProgram, inProgram, QPoint(last.center().x(), last.bottom() + 4)));
    EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles),
              QStringList({"Nocturne", "Waltz", "Ballade", "Etude"}));
    // Ctrl+Up moves the selection one row up.
    inProgram->setFocus();
    inProgram->SelectRows({3});
    QTest::keyClick(inProgram, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Captions(evening->CustomPrograms[0]->Titles),
              QStringList({"Nocturne", "Waltz", "Etude", "Ballade"}));
    // Program titles onto their own program's row are refused.
    inProgram->SelectRows({0});
    EXPECT_FALSE(DropAt(inProgram, programs, Upper(programs, 3)));
    form->close();
    ExpectFileHoldsModel(*evening);
}

TEST_F(EditorsTest, ProgramsEditorCommandsAndTheirQuestions)
{
    TAlbum *evening = Album("Evening");
    auto form = Open<TfPrograms>();
    // New asks for the name and selects the program.
    WhenModal([](QDialog *dialog) {
        static_cast<TfRename *>(dialog)->Field()->setText(QStringLiteral("Late"));
        dialog->accept();
    });
    QTest::keyClick(form->ProgramsList(), Qt::Key_Insert);
    ASSERT_EQ(evening->CustomPrograms.size(), 2u);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(evening->CustomPrograms[1]->Caption, QStringLiteral("Late"));
    EXPECT_EQ(form->SelectedProgram(), evening->CustomPrograms[1].get());
    // Dragging it above the other custom program moves it; above the internal ones is refused.
    form->ProgramsList()->SelectRows({4});
    EXPECT_FALSE(DropAt(form->ProgramsList(), form->ProgramsList(), Upper(form->ProgramsList(), 2)));
    EXPECT_TRUE(DropAt(form->ProgramsList(), form->ProgramsList(), Upper(form->ProgramsList(), 3)));
    EXPECT_EQ(evening->CustomPrograms[0]->Caption, QStringLiteral("Late"));

    // Rename, Refresh, Sort follow the selection.
    form->SelectProgram(1);
    EXPECT_FALSE(form->aRename->isEnabled());
    EXPECT_TRUE(form->aRefresh->isEnabled());
    EXPECT_FALSE(form->aSort->isEnabled());
    form->SelectProgram(4);
    EXPECT_TRUE(form->aRename->isEnabled());
    EXPECT_TRUE(form->aSort->isEnabled());
    form->aReverse->trigger();
    EXPECT_EQ(Captions(evening->CustomPrograms[1]->Titles), QStringList({"Etude", "Waltz"}));

    // Delete by focus: titles of the program, after the question with its two arguments.
    form->ProgramTitlesList()->setFocus();
    form->ProgramTitlesList()->SelectRows({0, 1});
    ASSERT_TRUE(form->aDelete->isEnabled());
    boxes.queueAnswer(IDYES);
    QTest::keyClick(form->ProgramTitlesList(), Qt::Key_Delete);
    ASSERT_FALSE(boxes.boxes().empty());
    EXPECT_TRUE(boxes.boxes().back().text.contains(QStringLiteral("2 selected")))
        << boxes.boxes().back().text.toStdString();
    EXPECT_TRUE(evening->CustomPrograms[1]->Titles.empty());
    EXPECT_EQ(evening->Titles.size(), 5u);
    // The program itself: No keeps it, Yes deletes it, Ctrl+Z brings it back with its titles.
    QTest::keyClick(form->ProgramTitlesList(), Qt::Key_Z, Qt::ControlModifier);
    form->ProgramsList()->setFocus();
    boxes.queueAnswer(IDNO);
    QTest::keyClick(form->ProgramsList(), Qt::Key_Delete);
    EXPECT_EQ(evening->CustomPrograms.size(), 2u);
    boxes.queueAnswer(IDYES);
    QTest::keyClick(form->ProgramsList(), Qt::Key_Delete);
    ASSERT_EQ(evening->CustomPrograms.size(), 1u);
    QTest::keyClick(form->ProgramsList(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(evening->CustomPrograms.size(), 2u);
    EXPECT_EQ(Captions(evening->CustomPrograms[1]->Titles), QStringList({"Etude", "Waltz"}));
    // An internal program cannot be deleted: Delete is off.
    form->SelectProgram(0);
    EXPECT_FALSE(form->aDelete->isEnabled());

    // Add files: titles named from their files, in the album and the selected custom program.
    editors->ChooseFiles = [](QWidget *) {
        return QStringList({QStringLiteral("/music/new_song.mid")});
    };
    form->SelectProgram(3);
    form->aAddFiles->trigger();
    EXPECT_EQ(evening->Titles.back()->Caption, QStringLiteral("New Song"));
    EXPECT_EQ(evening->CustomPrograms[0]->Titles.back(), evening->Titles.back());
    EXPECT_EQ(evening->InternalPrograms[0]->Titles.size(), 6u);
    form->close();
    ExpectFileHoldsModel(*evening);
}

TEST_F(EditorsTest, AlbumsEditorDropRulesAndCopies)
{
    auto form = Open<TfAlbums>();
    TEditorListView *albums = form->AlbumsList();
    TEditorListView *titles = form->TitlesList();
    const int evening = 1, morning = 2; // the system album "Temporary" is first
    ASSERT_EQ(albums->model()->index(evening, 0).data().toString(), QStringLiteral("Evening"));
    ASSERT_EQ(form->SelectedAlbum(), Album("Evening"));

    // Nothing goes above the system album; the gap just below the dragged album is no move.
    albums->SelectRows({morning});
    EXPECT_FALSE(DropAt(albums, albums, Upper(albums, 0)));
    EXPECT_FALSE(DropAt(albums, albums, Lower(albums, morning)));
    EXPECT_TRUE(DropAt(albums, albums, Upper(albums, evening)));
    EXPECT_EQ(g().Albums[1]->Caption, QStringLiteral("Morning"));
    albums->SelectRows({1});
    EXPECT_EQ(form->SelectedAlbum(), Album("Morning"));
    albums->SelectRows({2});

    // Titles onto the selected album are refused; onto another album they are copied there.
    titles->SelectRows({0, 4});
    EXPECT_FALSE(DropAt(titles, albums, Upper(albums, 2)));
    EXPECT_TRUE(DropAt(titles, albums, Upper(albums, 1)));
    TAlbum *morningAlbum = Album("Morning");
    EXPECT_FALSE(morningAlbum->Loaded); // saved and put back to its file
    // Titles move within the list before the title at the gap.
    titles->SelectRows({3, 4});
    EXPECT_TRUE(DropAt(titles, titles, Upper(titles, 0)));
    EXPECT_EQ(Captions(Album("Evening")->Titles),
              QStringList({"Etude", "Ballade", "Nocturne", "Waltz", "Prelude"}));
    form->close();

    g().SetCurrentAlbum(morningAlbum);
    EXPECT_EQ(Captions(morningAlbum->Titles), QStringList({"Aubade", "Nocturne", "Ballade"}));
    ExpectFileHoldsModel(*morningAlbum);
}

TEST_F(EditorsTest, AlbumsEditorDeletesAFileOnlyAfterYesAndMakesTheNextAlbumCurrent)
{
    auto form = Open<TfAlbums>();
    TAlbum *evening = Album("Evening");
    ASSERT_TRUE(evening);
    const QString file = evening->FileName;
    form->AlbumsList()->setFocus();
    form->SelectAlbum(1);
    boxes.queueAnswer(IDNO);
    QTest::keyClick(form->AlbumsList(), Qt::Key_Delete);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(g().CurrentAlbum, evening);

    boxes.queueAnswer(IDYES);
    QTest::keyClick(form->AlbumsList(), Qt::Key_Delete);
    ASSERT_GE(boxes.boxes().size(), 2u);
    EXPECT_TRUE(boxes.boxes()[1].text.contains(QStringLiteral("\"Evening\"")));
    EXPECT_FALSE(QFile::exists(file));
    TAlbum *morning = Album("Morning");
    ASSERT_TRUE(morning);
    EXPECT_EQ(g().CurrentAlbum, morning);
    EXPECT_TRUE(morning->Loaded);

    // Ctrl+Z gives the album and its file back, current again.
    QTest::keyClick(form->AlbumsList(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(Album("Evening"));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(g().CurrentAlbum, Album("Evening"));
    EXPECT_EQ(Album("Evening")->Titles.size(), 5u);

    // The system album cannot be renamed or deleted.
    form->SelectAlbum(0);
    EXPECT_FALSE(form->aRename->isEnabled());
    EXPECT_FALSE(form->aDelete->isEnabled());
    EXPECT_FALSE(form->ExportTonaria2x1->isEnabled());
    form->close();
    ExpectFileHoldsModel(*g().CurrentAlbum);
}

TEST_F(EditorsTest, AlbumsEditorImportsAnOldAlbumTwice)
{
    TRegistry registry(g().RegistryStore());
    const QString key =
        QStringLiteral("\\Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums");
    ASSERT_TRUE(registry.OpenKey(key, true));
    registry.WriteInteger(QStringLiteral("Kapasitas"), 1);
    ASSERT_TRUE(registry.OpenKey(key + QStringLiteral("\\Album0"), true));
    registry.WriteString(QStringLiteral("Judul"), QStringLiteral("Old Times"));
    registry.WriteInteger(QStringLiteral("Jumlah"), 1);
    registry.WriteString(QStringLiteral("File0"), QStringLiteral("Intro>C:\\Music\\intro.mid"));

    auto form = Open<TfAlbums>();
    for (int i = 0; i < 2; ++i) {
        WhenModal([](QDialog *dialog) {
            auto *choose = static_cast<TfChoose *>(dialog);
            EXPECT_EQ(choose->List()->count(), 1);
            choose->accept();
        });
        form->ImportTonaria2x1->trigger();
    }
    int imported = 0;
    for (const auto &album : g().Albums) {
        if (album->Caption != QLatin1String("Old Times")) continue;
        ++imported;
        EXPECT_TRUE(QFile::exists(album->FileName));
    }
    EXPECT_EQ(imported, 2);
    ASSERT_TRUE(form->SelectedAlbum());
    EXPECT_EQ(form->SelectedAlbum()->Caption, QStringLiteral("Old Times"));
    EXPECT_EQ(Captions(form->SelectedAlbum()->Titles), QStringList({"Intro"}));
    // A cancelled choice imports nothing.
    WhenModal([](QDialog *dialog) { dialog->reject(); });
    form->ImportTonaria2x1->trigger();
    form->close();
    EXPECT_EQ(std::count_if(g().Albums.begin(), g().Albums.end(),
                            [](const auto &a) { return a->Caption == QLatin1String("Old Times"); }),
              2);
}


TEST_F(EditorsTest, AlbumsEditorSortsAndScrollsWhileDragging)
{
    TAlbum *evening = Album("Evening");
    ASSERT_TRUE(evening);
    auto form = Open<TfAlbums>();
    // Descending turns every ordering; the internal programs follow the album.
    form->SortMenu()->DescendingItem()->trigger();
    form->SortMenu()->Item(TTitleOrder::Caption)->trigger();
    EXPECT_EQ(Captions(evening->Titles),
              QStringList({"Waltz", "Prelude", "Nocturne", "Etude", "Ballade"}));
    EXPECT_EQ(Captions(evening->InternalPrograms[2]->Titles),
              QStringList({"Ballade", "Etude", "Nocturne", "Prelude", "Waltz"}));
    // Ctrl+Down moves the selected titles one row down.
    form->TitlesList()->SelectRows({0});
    QTest::keyClick(form->TitlesList(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Captions(evening->Titles),
              QStringList({"Prelude", "Waltz", "Nocturne", "Etude", "Ballade"}));

    // A list too short for its rows scrolls one row when a drag nears an edge.
    for (int i = 0; i < 60; ++i)
        evening->AddTitle()->Caption = QStringLiteral("More %1").arg(i);
    form->SelectAlbum(1);
    TEditorListView *titles = form->TitlesList();
    titles->SelectRows({0});
    std::unique_ptr<QMimeData> data(titles->DragData());
    auto dragTo = [&](int y) {
        QDragEnterEvent enter(QPoint(20, y), Qt::MoveAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(titles->viewport(), &enter);
        QDragMoveEvent move(QPoint(20, y), Qt::MoveAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(titles->viewport(), &move);
        return titles->verticalScrollBar()->value();
    };
    const int bottom = titles->viewport()->height();
    EXPECT_EQ(dragTo(bottom / 2), 0);
    EXPECT_EQ(dragTo(bottom - TEditorListView::kScrollMargin + 2), 1);
    EXPECT_EQ(dragTo(bottom - 2), 2);
    EXPECT_EQ(dragTo(TEditorListView::kScrollMargin - 2), 1);
    form->close();
    ExpectFileHoldsModel(*evening);
}
