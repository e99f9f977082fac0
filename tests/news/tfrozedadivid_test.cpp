// The news viewer offscreen: the files newest first, the shown row's date, link and message,
// Delete for all but the newest, the reminder stored by OK; and the station opening it.
#include "core/tonariaglobals.h"
#include "news/localhttp.h"
#include "news/newscheck.h"
#include "news/ui/tfrozedadivid.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "presentation/tfstation.h"
#include "settings/preferences.h"
#include "support/drivenclock.h"
#include "support/testenv.h"
#include "support/testwait.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Receives the links the viewer hands to the desktop.
class TLinkCatcher : public QObject {
    Q_OBJECT
public:
    TLinkCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
    ~TLinkCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened << url; }
};

class NewsViewerTest : public ::testing::Test {
protected:
    // A news file modified `age` hours ago.
    void WriteNews(const QString &name, const QByteArray &bytes, int age)
    {
        QDir().mkpath(folder);
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * age),
                         QFileDevice::FileModificationTime);
    }
    QStringList Rows(const TfRozedAdivid &viewer) const
    {
        QStringList rows;
        for (int i = 0; i < viewer.lvNews->topLevelItemCount(); ++i)
            rows << viewer.lvNews->topLevelItem(i)->text(0);
        return rows;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TPreferences prefs;
    QString folder = env.home() + QStringLiteral("SU/");
};

TEST_F(NewsViewerTest, ListsTheNewsNewestFirstAndShowsTheSelectedOne)
{
    WriteNews(QStringLiteral("Autumn.sun"),
              "Date=1 Oct\r\nURL=http://example.org/autumn\r\nMessageStartIndex=3\r\nLeaves.\r\n",
              48);
    WriteNews(QStringLiteral("Winter.SUN"), "Date=1 Dec\r\nMessageStartIndex=x\r\nSnow.\r\n", 1);
    WriteNews(QStringLiteral(".sun"), "URL=file:///etc/passwd\r\n", 24);
    WriteNews(QStringLiteral("notes.txt"), "not news", 0);

    TLinkCatcher links;
    TfRozedAdivid viewer(prefs, folder);
    viewer.show();
    EXPECT_EQ(Rows(viewer), QStringList({"Winter", "", "Autumn"}));
    EXPECT_EQ(viewer.lvNews->headerItem()->text(0), QStringLiteral("Title"));

    // The newest: no link, every line is the message, and no Delete.
    EXPECT_EQ(viewer.lvNews->currentItem()->text(0), QStringLiteral("Winter"));
    EXPECT_EQ(viewer.lDate->text(), QStringLiteral("1 Dec"));
    EXPECT_EQ(viewer.lURL->text(), QStringLiteral("(none)"));
    EXPECT_FALSE(viewer.lURL->isEnabled());
    EXPECT_EQ(viewer.mMessage->toPlainText(),
              QStringLiteral("Date=1 Dec\nMessageStartIndex=x\nSnow.\n"));
    EXPECT_FALSE(viewer.bDelete->isEnabled());
    EXPECT_EQ(viewer.bDelete->toolTip(), QStringLiteral("Delete news"));

    // A link that is not a web page is shown but never opened.
    viewer.lvNews->setCurrentItem(viewer.lvNews->topLevelItem(1));
    EXPECT_TRUE(viewer.bDelete->isEnabled());
    EXPECT_EQ(viewer.lDate->text(), QStringLiteral("(none)"));
    EXPECT_FALSE(viewer.lURL->isEnabled());
    EXPECT_TRUE(viewer.Link().isEmpty());

    viewer.lvNews->setCurrentItem(viewer.lvNews->topLevelItem(2));
    EXPECT_EQ(viewer.lDate->text(), QStringLiteral("1 Oct"));
    EXPECT_TRUE(viewer.lURL->text().contains(QStringLiteral(">http://example.org/autumn</a>")));
    EXPECT_TRUE(viewer.lURL->isEnabled());
    EXPECT_EQ(viewer.mMessage->toPlainText(), QStringLiteral("Leaves.\n"));
    emit viewer.lURL->linkActivated(QStringLiteral("link"));
    EXPECT_EQ(links.opened, QList<QUrl>{QUrl(QStringLiteral("http://example.org/autumn"))});
}

TEST_F(NewsViewerTest, DeleteAsksAndKeepsTheNewest)
{
    WriteNews(QStringLiteral("a.sun"), "a", 3);
    WriteNews(QStringLiteral("b.sun"), "b", 2);
    WriteNews(QStringLiteral("c.sun"), "c", 1);
    TfRozedAdivid viewer(prefs, folder);
    viewer.show();
    viewer.lvNews->setCurrentItem(viewer.lvNews->topLevelItem(1));

    boxes.queueAnswer(IDNO);
    viewer.bDelete->click();
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("b.sun")));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Do you want to delete the news \"b\"?"));
    EXPECT_EQ(boxes.boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);

    boxes.queueAnswer(IDYES);
    viewer.bDelete->click();
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("b.sun")));
    EXPECT_EQ(Rows(viewer), QStringList({"c", "a"}));
    EXPECT_EQ(viewer.lvNews->currentItem()->text(0), QStringLiteral("a"));
    EXPECT_EQ(viewer.mMessage->toPlainText(), QStringLiteral("a\n"));

    // A file that went away meanwhile cannot be deleted: the row stays.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("a.sun")));
    boxes.queueAnswer(IDYES);
    viewer.bDelete->click();
    ASSERT_EQ(boxes.boxes().size(), 4u);
    EXPECT_EQ(boxes.boxes()[3].text,
              QStringLiteral("Cannot delete the file \"%1a.sun\".").arg(folder));
    EXPECT_EQ(boxes.boxes()[3].flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(Rows(viewer), QStringList({"c", "a"}));

    // With the newest selected, Delete does nothing.
    viewer.lvNews->setCurrentItem(viewer.lvNews->topLevelItem(0));
    EXPECT_FALSE(viewer.bDelete->isEnabled());
}

TEST_F(NewsViewerTest, TheReminderIsStoredByOKOnly)
{
    prefs.SURemind = false;
    {
        TfRozedAdivid viewer(prefs, folder);
        viewer.show();
        EXPECT_EQ(viewer.lvNews->topLevelItemCount(), 0);
        EXPECT_FALSE(viewer.bDelete->isEnabled());
        viewer.cbRemind->setChecked(true);
        viewer.reject();
        EXPECT_FALSE(prefs.SURemind);
        viewer.show();
        EXPECT_FALSE(viewer.cbRemind->isChecked());
        viewer.cbRemind->setChecked(true);
        viewer.bOK->click();
        EXPECT_TRUE(prefs.SURemind);
        EXPECT_EQ(viewer.result(), QDialog::Accepted);
    }
}

TEST_F(NewsViewerTest, TheStationOpensTheViewerForTheReminderAndForNewNews)
{
    UseTestSoundFont();
    WriteNews(QStringLiteral("old.sun"), "old", 5);
    TDrivenClock clock;
    TfStation station(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
    station.StartUp(ParseCommandLine({}));
    TTonariaGlobals &g = station.Jukebox().GlobalState();
    g.SURemind = true;
    g.SUAuto = true;
    g.SUAutoIfConnected = false;
    TLocalHttpServer server;
    server.SetReply(HttpReply("200 OK", "Filename=fresh\r\nNew!\r\n"));
    station.NewsCheck().SetUrl(server.Url());

    station.FirstShow();
    EXPECT_FALSE(g.SURemind);
    ASSERT_NE(station.NewsManager(), nullptr);
    EXPECT_TRUE(station.NewsManager()->isVisible());
    EXPECT_TRUE(station.NewsManager()->isModal());
    EXPECT_EQ(Rows(*station.NewsManager()), QStringList{"old"});
    EXPECT_EQ(station.NewsManager()->windowTitle(), QStringLiteral("RozedAdivid News"));

    // The start-up's check brings news: the open viewer shows it first.
    ASSERT_TRUE(WaitUntil([&] { return Rows(*station.NewsManager()).size() == 2; }));
    EXPECT_EQ(Rows(*station.NewsManager()), QStringList({"fresh", "old"}));
    EXPECT_TRUE(
        g.SUStatusLog.contains(QStringLiteral("--Automatic RozedAdivid at startup started--")));

    station.NewsManager()->bOK->click();
    ASSERT_TRUE(WaitUntil([&] { return station.NewsManager() == nullptr; }));

    // The same news again from the menu: no viewer, a note that nothing is new.
    station.CheckNewsNow();
    ASSERT_TRUE(WaitUntil([&] { return !station.NewsCheck().Running(); }));
    RunEvents(20);
    EXPECT_EQ(station.NewsManager(), nullptr);
    ASSERT_FALSE(boxes.boxes().empty());
    EXPECT_EQ(boxes.boxes().back().text, QStringLiteral("There is no new RozedAdivid news."));
}

} // namespace

#include "tfrozedadivid_test.moc"
