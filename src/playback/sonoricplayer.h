#pragma once
// The player: plays one medium at a time on a device of the media-control layer or on a plug-in
// device, behind one command path.
//
// The player sends its commands as typed calls (TMciCommands): a media-control device gets them
// from the media-control layer; a plug-in device gets each one through the owner's
// OnDeviceMessage event, as the command code, flags and parameter block of the C interface. Errors of commands on the open medium are raised as
// ESonoricPlayerException carrying the layer's error text; the caller shows it.
//
// Positions and lengths are milliseconds. In the logical time mode they count from the start of
// the medium, or of the current track on a medium with tracks; in the physical mode they are the
// device's own values.
//
// Before a MIDI medium is opened, the reset file (FileMIDIReset, when set) is played to its end
// on the "sequencer" device, so that what the previous title left on the synthesizer is cleared.
//
// Completion notices of the notifying commands (play, resume, pause, stop, seek, configure)
// arrive on a hidden receiver of the player through the Qt event loop; they raise OnPlayStopped
// (a play or resume has ended) and OnNotify (after every notice). A seek that interrupted
// playback resumes it when the seek's notice arrives.
//
// For a CD device ("cdaudio") the status values are kept in a cache that is refreshed after
// every command that moves the medium, so that the display's frequent queries do not reach the
// drive; the position is still read live while playing.
//
// Threads: everything, the events included, runs on the main (Qt) thread.

#include "playback/sonoricplayerexception.h"
#include "playback/spdeviceinfo.h"
#include "playback/spdevicelist.h"
#include "playback/spdevicemenu.h"

#include "tonaria/mci.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TMciCommands;
class TSPNotifyReceiver;
class TSPPluginChannel;
class TSonoricPlayer;

// The events, each with the player as its sender.
using TSPNotifyEvent = std::function<void(TSonoricPlayer *Sender)>;
using TSPAfterMIDIResetEvent = std::function<void(TSonoricPlayer *Sender, bool Successful)>;
using TSPAnalyzingEvent = std::function<void(TSonoricPlayer *Sender, PSPDeviceInfo TempDeviceInfo)>;
using TSPDeviceCountEvent = std::function<void(TSonoricPlayer *Sender, std::int32_t &Count)>;
// One media-control command for a plug-in device: the command code, its flags and the address
// of its parameter block. Result starts as MCIERR_UNSUPPORTED_FUNCTION; the handler sets the
// device's answer (0 = success).
using TSPDeviceMessageEvent =
    std::function<void(TSonoricPlayer *Sender, std::int32_t Identifier, std::uint32_t uMsg,
                       std::uint32_t fdwCommand, std::uintptr_t dwParam, std::int32_t &Result)>;
using TSPDeviceSupportFileEvent = std::function<void(
    TSonoricPlayer *Sender, std::int32_t Identifier, const QString &Filename, bool &Supports)>;
using TSPMenuClickedEvent = std::function<void(TSonoricPlayer *Sender, PSPDeviceInfo DeviceInfo)>;

class TSonoricPlayer {
public:
    // The alias every medium and the reset file are opened under.
    static constexpr const char *Alias = "Tonaria_Sonoric_Player_alias";
    // The size of the text buffers handed to the layer.
    static constexpr std::uint32_t TextBufferSize = 300;

    TSonoricPlayer();
    // Closes an open medium and frees the devices.
    ~TSonoricPlayer();
    TSonoricPlayer(const TSonoricPlayer &) = delete;
    TSonoricPlayer &operator=(const TSonoricPlayer &) = delete;

    // ---- Properties ---------------------------------------------------------------------------
    bool CacheEnabled() const { return cacheEnabled_; }
    // Switching the cache off also stops serving cached values at once.
    void SetCacheEnabled(bool value);
    // The full path of the MIDI reset file; empty: no reset.
    const QString &FileMIDIReset() const { return fileMIDIReset_; }
    void SetFileMIDIReset(const QString &value) { fileMIDIReset_ = value; }
    // The file that the next Open opens.
    const QString &Filename() const { return filename_; }
    void SetFilename(const QString &value) { filename_ = value; }
    TSPModeTime ModeTime() const { return modeTime_; }
    void SetModeTime(TSPModeTime value);

    // The device Open and SendCommand use; &AnyDeviceInfo lets the file choose. May be null.
    PSPDeviceInfo Device() const { return device_; }
    void SetDevice(PSPDeviceInfo value) { device_ = value; }

    // ---- Events -------------------------------------------------------------------------------
    TSPAfterMIDIResetEvent OnAfterMIDIReset;       // the reset file has played, or failed to open
    TSPAnalyzingEvent OnAnalyzing;                 // once per device analysed, its Name known
    TSPNotifyEvent OnBeforeMIDIReset;              // just before the reset file is opened
    TSPDeviceCountEvent OnDeviceCount;             // how many plug-in devices there are
    TSPDeviceMessageEvent OnDeviceMessage;         // a command for a plug-in device
    TSPDeviceSupportFileEvent OnDeviceSupportFile; // does a plug-in device play this file?
    TSPMenuClickedEvent OnMenuClicked;             // a device was picked from the device menu
    TSPNotifyEvent OnNotify;                       // after every completion notice
    TSPNotifyEvent OnPlayStopped;                  // a play (or resume) has ended

    // ---- Devices ------------------------------------------------------------------------------
    // All media-control devices first, then all plug-in devices.
    const std::vector<std::unique_ptr<TSPDeviceInfo>> &Devices() const
    {
        return devices_.Records();
    }
    int MCIDeviceCount() const { return devices_.MCIDeviceCount(); }
    int PluginDeviceCount() const { return devices_.PluginDeviceCount(); }
    // The product names accepted so far (a second device of the same name is left out).
    const QStringList &DeviceDescriptions() const { return devices_.Descriptions(); }

    // Close; ClearDevices; AnalyzeMCIDevices; AnalyzePluginDevices; BuildDeviceMenu.
    void AnalyzeDevices();
    // Lists the devices of the media-control layer. A device that fails is skipped with a
    // message box; nothing escapes.
    void AnalyzeMCIDevices();
    // Lists the plug-in devices the owner reports through OnDeviceCount and OnDeviceMessage.
    // Afterwards Device is null.
    void AnalyzePluginDevices();
    void ClearDevices();
    PSPDeviceInfo FindDeviceByType(std::int32_t DeviceType) const
    {
        return devices_.FindByType(DeviceType);
    }
    // Compares without regard to letter case.
    PSPDeviceInfo FindDeviceByName(const QString &Name) const { return devices_.FindByName(Name); }
    // Returns the automatic record to its blank values; any other record is left alone.
    static void ResetDeviceInfo(PSPDeviceInfo Info);

    // ---- Device menu --------------------------------------------------------------------------
    // Fills the menu entries from Devices and shows them in DeviceMenu (when there is one).
    void BuildDeviceMenu();
    const std::vector<TSPMenuItem> &DeviceMenuItems() const { return menuItems_; }
    // The menu widget; the player owns it. Null until the owner gives one.
    TSPDeviceMenu *DeviceMenu() const { return deviceMenu_.get(); }
    void SetDeviceMenu(std::unique_ptr<TSPDeviceMenu> menu);
    // A menu entry was chosen: raises OnMenuClicked with its device (the automatic record,
    // blanked, for TSPMenuItem::AnyTag). Nothing happens without an OnMenuClicked handler or for
    // a tag that names no device.
    void DeviceMenuClick(int Tag);

    // ---- Commands -----------------------------------------------------------------------------
    // Opens Filename on Device (the reset file first, when due). Raises on failure.
    void Open();
    // Stops (errors swallowed) and closes the open medium; nothing when none is open.
    void Close();
    // Play, Pause, Resume, PlayPause, Stop, SeekPhysical, SetDoorOpen and Configure do nothing
    // while no medium is open.
    void Play();
    void Pause();
    void Resume();
    void PlayPause();
    void Stop();
    void Seek(std::uint32_t Position);
    void SeekLogical(std::uint32_t Position);
    void SeekPhysical(std::uint32_t Position);
    // Goes to the start of track T, T clamped to 1..number of tracks. Until the medium is
    // opened again, Play plays to the end of the current track only.
    void SetTrack(std::int64_t Track);
    void NextTrack();
    void PrevTrack();
    void SetDoorOpen(bool DoorOpen);
    void Configure();
    // Refills the CD status cache from the device (only while the cache is active).
    void Refresh();

    // Sends one command with its parameter block to the current device; returns 0 or an error
    // code.
    MCIERROR SendCommand(std::uint32_t uMsg, std::uint32_t fdwCommand, std::uintptr_t dwParam);
    // Raises ESonoricPlayerException with the layer's text of a non-zero code.
    static void CheckError(MCIERROR Code);
    // The layer's text of an error code (a plain fallback for a code it does not know).
    static QString ErrorText(MCIERROR Code);

    // ---- Status -------------------------------------------------------------------------------
    // These ask the open medium; without one they raise the layer's error (GetMode and
    // IsReady excepted: they answer "not ready").
    bool Opened() const { return opened_; }
    bool HasTracks() const { return hasTracks_; }
    bool Resetting() const { return resetting_; }
    bool IsReady();
    // An MCI mode: MCI_MODE_NOT_READY when not ready, else the device's mode.
    std::uint32_t GetMode();
    std::uint32_t GetCurrentTrack();
    std::uint32_t GetNumberOfTracks();
    std::uint32_t GetTimeFormat();

    std::uint32_t GetStart() const { return 0; }
    std::uint32_t GetLength();
    std::uint32_t GetPosition();
    std::uint32_t TrackLength(std::uint32_t Track);
    std::uint32_t TrackStart(std::uint32_t Track);

    std::uint32_t PhysicalLength();
    std::uint32_t PhysicalStart();
    std::uint32_t PhysicalPosition();
    std::uint32_t PhysicalTrackLength(std::uint32_t Track);
    std::uint32_t PhysicalTrackStart(std::uint32_t Track);

    std::uint32_t LogicalLength();
    std::uint32_t LogicalPosition();
    std::uint32_t LogicalTrackLength(std::uint32_t Track);
    std::uint32_t LogicalTrackStart(std::uint32_t Track);

private:
    enum TPendingCommand { pcNone = 0, pcSeek = 1, pcPlay = 2, pcStop = 3, pcPause = 4 };

    // Fills the automatic record from the device the layer chose for the file.
    void QueryOpenedDevice();
    // Plays the reset file to its end on the sequencer device and reports through the events.
    void PlayMIDIReset();
    bool IsResetDue(bool requestedAny) const;
    // Reads one status item of the current device (flags added to MCI_STATUS_ITEM | MCI_WAIT).
    std::uint32_t StatusItem(std::uint32_t item, std::uint32_t flags = 0, std::uint32_t track = 0);
    // Runs `call` with the path to the current device and its ID: the media-control layer, or
    // the plug-in path for a plug-in device. Without a device: MCIERR_DEVICE_TYPE_REQUIRED.
    template <class TCall>
    MCIERROR ToDevice(TCall call);
    // The ID commands for the current device carry (0 before anything is open).
    MCIDEVICEID CurrentId() const;
    // A command for a plug-in device, as OnDeviceMessage takes it.
    MCIERROR SendToPlugin(std::uint32_t uMsg, std::uint32_t fdwCommand, std::uintptr_t dwParam);
    // Sends MCI_PLAY, MCI_PAUSE, MCI_RESUME, MCI_STOP or MCI_SEEK (to `to`) so that its
    // completion notice reaches the hidden receiver.
    MCIERROR SendNotifying(std::uint32_t uMsg, std::uint32_t flags, std::uint32_t to = 0);
    void HandleNotify(unsigned notifyCode, MCIDEVICEID deviceId);

    // Device analysis of one candidate after its name is known: raises OnAnalyzing, probes it
    // (through `device`) and lists it; false when it is to be skipped, with the text to show.
    bool AnalyzeCandidate(std::unique_ptr<TSPDeviceInfo> &info, TMciCommands &device,
                          QString *failure);
    static void ShowSkipMessage(const QString &text);

    bool cacheEnabled_ = true;
    QString fileMIDIReset_;
    QString filename_;
    TSPModeTime modeTime_ = spmtLogical;
    PSPDeviceInfo device_ = &AnyDeviceInfo;

    TSPDeviceList devices_;
    std::vector<TSPMenuItem> menuItems_;
    std::unique_ptr<TSPDeviceMenu> deviceMenu_;

    // The device ID of the open medium (the Identifier for a plug-in device); -1 after
    // creation, 0 when nothing is open.
    std::int32_t currentDeviceID_ = -1;
    std::unique_ptr<TSPNotifyReceiver> notifyWindow_;
    std::unique_ptr<TSPPluginChannel> pluginChannel_;
    TPendingCommand pendingCommand_ = pcNone;
    std::uint32_t modeBeforeSeek_ = 0;
    bool opened_ = false;
    bool hasTracks_ = false;
    // A track was chosen since the medium opened: play ends with that track.
    bool trackChosen_ = false;
    bool resetting_ = false;
    // Set at creation and whenever a sequencer starts playing; never cleared.
    bool resetPending_ = true;

    // The CD status cache (physical values).
    bool cacheActive_ = false;
    std::uint32_t cachedTrack_ = 0;
    std::uint32_t cachedLength_ = 0;
    std::uint32_t cachedPosition_ = 0;
    std::uint32_t cachedStart_ = 0;
    std::uint32_t cachedTrackLength_ = 0;
    std::uint32_t cachedTrackStart_ = 0;
};
