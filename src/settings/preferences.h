#pragma once
// Every user preference with its default, and its storage in the registry: the Visible key
// (values the preferences dialog edits), the Invisible key (window state remembered between
// runs) and the Plugins key (one value per installed plug-in), plus the file association
// written under the classes root with every save.
//
// The fields keep the registry's value names so that the program reads as its settings do; the
// global state holds them. Colours are the desktop's colour values (0x00BBGGRR; a top byte of
// 0x02 marks a palette-relative colour, 0x80000000 + n the system colour n); fonts are plain
// records turned into real fonts by the windows.
//
// Threads: main thread only.

#include "platform/system/registry.h"

#include <QString>
#include <QStringList>

#include <cstdint>

using TColour = std::uint32_t;

struct TFontPref {
    QString Name;
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TFontPref &) const = default;
};

// The registry keys, below HKEY_CURRENT_USER, and the file association class.
inline const QString kTonariaKey = QStringLiteral("Software\\Brimvel\\Tonaria\\CurrentVersion");
inline const QString kVisibleKey = kTonariaKey + QStringLiteral("\\Preferences\\Visible");
inline const QString kInvisibleKey = kTonariaKey + QStringLiteral("\\Preferences\\Invisible");
inline const QString kPluginsKey = kTonariaKey + QStringLiteral("\\Preferences\\Plugins");
inline const QString kMediaFileClass = QStringLiteral("Tonaria3.MediaFile");

class TPreferences {
public:
    // Every value at its default for a screen of the given colour depth (bits per pixel).
    explicit TPreferences(int colourDepth = 24);

    // Every value of both tables to its default, the three lists emptied. Screens of fewer
    // than 9 bits get plain colours, others palette-relative ones.
    void SetPreferenceDefaults(int colourDepth);
    // Reads the Visible, Invisible and Plugins keys (creating missing keys). A value that is
    // missing, of the wrong kind, empty (for texts) or out of range keeps its current value.
    // The obsolete values "SU", "SUDate" and "SUURL" are deleted. The registry is left with no
    // key open.
    void LoadPreferences(TRegistry &registry);
    // Writes every value, CurAlbum first set to curAlbumIndex (-1 for none), the Plugins key
    // replaced by PluginList, and the association class "Tonaria3.MediaFile" whose open
    // command runs executablePath; then writes the registry to its file. False and a text
    // when that fails. The registry is left with no key open.
    bool SavePreferences(TRegistry &registry, int curAlbumIndex, const QString &executablePath,
                         QString *error = nullptr);

    // ---- Visible ----
    bool AllowFly;
    bool APMActive;
    int APMInterval;
    bool APMFall;
    int APMFallInterval;
    bool AutoOpenTitle;
    bool AutoSnap;
    TColour CTitleCaption;
    TColour CPrimaryTime;
    TColour CSecondaryTime;
    TColour CTotalTime;
    TColour CPositionBar;
    TColour CFloatbarCaption;
    TColour CFloatbarTime;
    bool DisplayFlag;
    TFontPref FTitleCaption;
    TFontPref FPrimaryTime;
    TFontPref FSecondaryTime;
    TFontPref FTotalTime;
    TFontPref FFloatbarCaption;
    TFontPref FFloatbarTime;
    int FBSkip;
    int FBInt;
    int FBDec;
    int FFSkip;
    int FFInt;
    int FFDec;
    std::uint8_t FloatMode; // 0 as at the last run, 1 always show, 2 always hide
    std::uint8_t FormMode;  // likewise
    QString Lang;
    // A desktop notice names each new title while the display window is hidden.
    bool NowPlayingNotices;
    int PauseDelay;
    bool Reset;
    QString ResetFile;
    bool SUAuto;
    bool SUAutoIfConnected;
    bool SUProxy;
    QString SUProxyServer;
    int SUProxyPort;
    QString SUProxyUsername;
    QString SUProxyPassword;
    bool SURemind;
    QString ThemeName;
    bool TimeSwap;
    int TitlesGutter;
    int QuickNumber;

    // ---- Invisible ----
    // The registry value "Cloaked": the windows were hidden at the last run. Named apart from
    // the global state's own Cloaked flag, which says whether they are hidden now.
    bool PrefCloaked;
    int CurAlbum;
    int FloatWidth;
    bool FloatShow;
    int FloatX;
    int FloatY;
    int FormX;
    int FormY;
    int plbAlbumsBoxWidth;
    int plbAlbumsBoxHeight;
    int plbProgramsBoxWidth;
    int plbProgramsBoxHeight;
    int plbTitlesBoxWidth;
    int plbTitlesBoxHeight;
    QStringList SUNews; // stored as one text, each line ended by CR LF

    // ---- Plugins, and what is never stored ----
    QStringList PluginList;  // the plug-in paths, the Plugins key's value names
    QStringList SUStatusLog; // status lines of the news check
};
