#pragma once
// What the station list tests stand on: two albums of our own in a fresh program folder, the
// lists over them, and commands that record what the lists and keys ask for.
#include "core/stationcommands.h"
#include "core/stationkeys.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

class TRecordingCommands : public TStationCommands {
public:
    std::set<TStationAction> disabled;
    std::vector<TStationAction> executed;
    std::vector<TTitle *> selected;
    QString digits;
    std::vector<TStationList> closed;

    bool ActionEnabled(TStationAction action) const override { return !disabled.count(action); }
    void ExecuteAction(TStationAction action) override { executed.push_back(action); }
    void SelectTitle(TTitle *title) override { selected.push_back(title); }
    void QuickNumberKey(QChar digit) override { digits += digit; }
    void ClosePopup(TStationList list) override { closed.push_back(list); }
};

class StationListsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Two albums of our own, saved and listed as the station finds them.
        MakeAlbum(QStringLiteral("Rock"),
                  {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        MakeAlbum(QStringLiteral("Jazz"), {QStringLiteral("Blue"), QStringLiteral("Green")});
        g.LoadAlbumList();
        ASSERT_EQ(g.Albums.size(), 3u);
        g.OnUpdateControls = [this] { ++controlUpdates; };
        g.SetCurrentAlbum(AlbumNamed(QStringLiteral("Rock")));
        rock = g.CurrentAlbum;
        ASSERT_TRUE(rock->Loaded);
        ASSERT_EQ(rock->CustomPrograms.size(), 1u);
        controlUpdates = 0;
    }

    void TearDown() override
    {
        player.Close();
        g.SetCurrentAlbum(nullptr);
    }

    void MakeAlbum(const QString &caption, const QStringList &titles)
    {
        auto album = TAlbum::CreateAlbum();
        album->Caption = caption;
        album->Loaded = true;
        for (const QString &name : titles) {
            TTitle *title = album->AddTitle();
            title->Caption = name;
            title->FileName = env.writeFile(name + QStringLiteral(".mid"), MidiFileBytes(2000));
        }
        album->RefreshInternalPrograms();
        auto custom = album->CreateProgram();
        custom->Caption = QStringLiteral("Favourites");
        custom->Titles = {album->Titles.back()};
        album->CustomPrograms.push_back(std::move(custom));
        ASSERT_TRUE(g.AlbumFile().Save(*album));
    }

    TAlbum *AlbumNamed(const QString &caption) const
    {
        for (const auto &album : g.Albums)
            if (album->Caption == caption) return album.get();
        return nullptr;
    }

    void OpenInPlayer(TTitle *title)
    {
        UseTestSoundFont();
        OpenOnAnyDevice(player, title->FileName);
        g.Player = &player;
        g.LoadedTitleCopy.Caption = title->Caption;
        g.LoadedTitle = &g.LoadedTitleCopy;
        g.LoadedTitleSource = title;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria")};
    TSonoricPlayer player;
    TRecordingCommands commands;
    TStationLists lists{g, commands};
    TAlbum *rock = nullptr;
    int controlUpdates = 0;
};
