#include "playback/sonoricplayer.h"

#include "platform/mci/mcilayer.h"
#include "platform/system/messageservice.h"
#include "playback/spdeviceprobe.h"
#include "playback/spnotifyreceiver.h"
#include "playback/sppluginchannel.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// The difference of two unsigned values, 0 when b is the larger: a device that reports a start
// past its end must not turn a length into four billion milliseconds.
std::uint32_t Less(std::uint32_t a, std::uint32_t b)
{
    return a > b ? a - b : 0;
}

std::uint32_t Clamp32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// ".MID", ".RMI" and ".KAR" files are played on the sequencer, so they get the reset file
// first when the file chooses the device. The extension is what follows the last dot of the
// name part of the path.
bool IsMidiFileName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return false;
    const QString ext = name.mid(dot).toUpper();
    return ext == QLatin1String(".MID") || ext == QLatin1String(".RMI") ||
           ext == QLatin1String(".KAR");
}

} // namespace

TSonoricPlayer::TSonoricPlayer()
    : notifyWindow_(
          std::make_unique<TSPNotifyReceiver>([this](unsigned notifyCode, MCIDEVICEID deviceId) {
              HandleNotify(notifyCode, deviceId);
          })),
      pluginChannel_(std::make_unique<TSPPluginChannel>(
          [this](std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param) {
              return SendToPlugin(uMsg, flags, param);
          }))
{
}

TSonoricPlayer::~TSonoricPlayer()
{
    try {
        Close();
    } catch (...) {
        // A device that fails while closing must not stop the player's destruction.
    }
    ClearDevices();
}

// ---- Properties ---------------------------------------------------------------------------------

void TSonoricPlayer::SetCacheEnabled(bool value)
{
    if (value == cacheEnabled_) return;
    cacheEnabled_ = value;
    if (!value) cacheActive_ = false;
    Refresh();
}

void TSonoricPlayer::SetModeTime(TSPModeTime value)
{
    if (value == modeTime_) return;
    modeTime_ = value;
    Refresh();
}

void TSonoricPlayer::ResetDeviceInfo(PSPDeviceInfo Info)
{
    if (Info && Info->IsAny) *Info = TSPDeviceInfo::BlankAny();
}

// ---- Command path -------------------------------------------------------------------------------

MCIDEVICEID TSonoricPlayer::CurrentId() const
{
    // -1 (nothing opened yet) must not become MCI_ALL_DEVICE_ID.
    return currentDeviceID_ > 0 ? MCIDEVICEID(currentDeviceID_) : 0;
}

MCIERROR TSonoricPlayer::SendCommand(std::uint32_t uMsg, std::uint32_t fdwCommand,
                                     std::uintptr_t dwParam)
{
    if (!device_) return MCIERR_DEVICE_TYPE_REQUIRED;
    if (device_->Kind != TSPDeviceInfo::KindPlugin)
        return TMciLayer::instance().sendCommand(CurrentId(), uMsg, fdwCommand, dwParam);
    return SendToPlugin(uMsg, fdwCommand, dwParam);
}

MCIERROR TSonoricPlayer::SendToPlugin(std::uint32_t uMsg, std::uint32_t fdwCommand,
                                      std::uintptr_t dwParam)
{
    std::int32_t result = std::int32_t(MCIERR_UNSUPPORTED_FUNCTION);
    if (OnDeviceMessage) OnDeviceMessage(this, currentDeviceID_, uMsg, fdwCommand, dwParam, result);
    return static_cast<MCIERROR>(result);
}

template <class TCall>
MCIERROR TSonoricPlayer::ToDevice(TCall call)
{
    if (!device_) return MCIERR_DEVICE_TYPE_REQUIRED;
    TMciCommands &device = device_->Kind == TSPDeviceInfo::KindPlugin
                               ? static_cast<TMciCommands &>(*pluginChannel_)
                               : static_cast<TMciCommands &>(TMciLayer::instance());
    return call(device, CurrentId());
}

MCIERROR TSonoricPlayer::SendNotifying(std::uint32_t uMsg, std::uint32_t flags, std::uint32_t to)
{
    // A notice still waiting in the queue belongs to a command this one replaces.
    notifyWindow_->DiscardPending();
    QObject *notify = notifyWindow_.get();
    flags |= MCI_NOTIFY;
    return ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
        switch (uMsg) {
        case MCI_PLAY:
            return device.play(id, flags, notify, 0, to);
        case MCI_SEEK:
            return device.seek(id, flags, to, notify);
        default:
            return device.generic(id, uMsg, flags, notify);
        }
    });
}

QString TSonoricPlayer::ErrorText(MCIERROR Code)
{
    return MciErrorText(Code);
}

void TSonoricPlayer::CheckError(MCIERROR Code)
{
    if (Code != 0) throw ESonoricPlayerException(ErrorText(Code), Code);
}

std::uint32_t TSonoricPlayer::StatusItem(std::uint32_t item, std::uint32_t flags,
                                         std::uint32_t track)
{
    std::uintptr_t value = 0;
    CheckError(ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
        return device.status(id, MCI_STATUS_ITEM | MCI_WAIT | flags, item, track, value);
    }));
    return static_cast<std::uint32_t>(value);
}

// ---- Opening and closing ------------------------------------------------------------------------

bool TSonoricPlayer::IsResetDue(bool requestedAny) const
{
    if (!resetPending_ || fileMIDIReset_.isEmpty()) return false;
    if (requestedAny && IsMidiFileName(filename_)) return true;
    // The automatic record still describes the previous medium until this one is open, so
    // only a device that was named counts by its type.
    return !device_->IsAny && device_->DeviceType == std::int32_t(MCI_DEVTYPE_SEQUENCER);
}

void TSonoricPlayer::PlayMIDIReset()
{
    currentDeviceID_ = 0;
    resetting_ = true;
    struct TResetEnd {
        bool &flag;
        ~TResetEnd() { flag = false; }
    } resetEnd{resetting_};

    if (OnBeforeMIDIReset) {
        try {
            OnBeforeMIDIReset(this);
        } catch (...) {
            // The reset goes on whatever the handler ran into.
        }
    }

    // The reset file plays on the sequencer the title will play on (a synthesizer on a MIDI
    // port keeps the last song's instruments otherwise); a title whose file picks its device
    // plays on the built-in one.
    const bool namedSequencer = !device_->IsAny && device_->Kind == TSPDeviceInfo::KindMci &&
                                device_->DeviceType == std::int32_t(MCI_DEVTYPE_SEQUENCER);
    TMciLayer &layer = TMciLayer::instance();
    TMciOpenRequest open;
    open.flags = MCI_OPEN_TYPE | MCI_OPEN_ALIAS | MCI_OPEN_ELEMENT | MCI_WAIT;
    open.deviceType = namedSequencer ? device_->Name : QStringLiteral("sequencer");
    open.element = fileMIDIReset_;
    open.alias = QString::fromLatin1(Alias);
    MCIDEVICEID resetId = 0;
    const MCIERROR openError = layer.open(open, resetId);
    if (openError != 0) {
        if (!OnAfterMIDIReset) CheckError(openError);
        try {
            OnAfterMIDIReset(this, false);
        } catch (...) {
        }
        return;
    }

    currentDeviceID_ = std::int32_t(resetId);
    const MCIERROR playError = layer.play(resetId, MCI_WAIT, nullptr);
    layer.generic(resetId, MCI_CLOSE, MCI_WAIT, nullptr);
    currentDeviceID_ = 0;
    if (OnAfterMIDIReset) {
        try {
            // A file that opens but does not play has not reset anything.
            OnAfterMIDIReset(this, playError == 0);
        } catch (...) {
        }
    }
}

void TSonoricPlayer::Open()
{
    if (opened_) Close();
    if (!device_) return;

    const bool requestedAny = device_->IsAny;
    // A file that only a plug-in device plays is opened on that device; the last device that
    // claims the file wins.
    if (requestedAny && OnDeviceSupportFile) {
        for (const auto &info : devices_.Records()) {
            if (info->Kind != TSPDeviceInfo::KindPlugin) continue;
            bool supports = false;
            OnDeviceSupportFile(this, info->Identifier, filename_, supports);
            if (supports) device_ = info.get();
        }
    }
    if (IsResetDue(requestedAny)) PlayMIDIReset();

    const bool plugin = device_->Kind == TSPDeviceInfo::KindPlugin;
    currentDeviceID_ = plugin ? device_->Identifier : 0;
    TMciOpenRequest request;
    request.flags = MCI_OPEN_ALIAS | MCI_WAIT;
    if (!device_->IsAny) {
        request.flags |= MCI_OPEN_TYPE;
        request.deviceType = device_->Name;
    }
    if (device_->UsesFiles) request.flags |= MCI_OPEN_ELEMENT;
    request.element = filename_;
    request.alias = QString::fromLatin1(Alias);
    MCIDEVICEID openedId = 0;
    const MCIERROR error = ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
        openedId = id;
        return device.open(request, openedId);
    });
    if (error != 0) {
        currentDeviceID_ = 0;
        CheckError(error);
    }
    // A plug-in device is addressed by its Identifier (0 is a valid one); a media-control
    // device by the ID the layer gave it.
    if (!plugin) currentDeviceID_ = std::int32_t(openedId);
    opened_ = true;
    trackChosen_ = false;

    // A device that cannot tell its current track has no tracks to speak of.
    try {
        hasTracks_ = GetCurrentTrack() > 0;
    } catch (const ESonoricPlayerException &) {
        hasTracks_ = false;
    }
    if (device_->IsAny) QueryOpenedDevice();
    cacheActive_ =
        cacheEnabled_ && device_->Name.compare(QLatin1String("cdaudio"), Qt::CaseInsensitive) == 0;

    CheckError(ToDevice([](TMciCommands &device, MCIDEVICEID id) {
        return device.set(id, MCI_SET_TIME_FORMAT | MCI_WAIT, MCI_FORMAT_MILLISECONDS);
    }));
    Refresh();
}

void TSonoricPlayer::QueryOpenedDevice()
{
    TSPDeviceInfo &info = *device_;
    info.Kind = TSPDeviceInfo::KindMci;

    std::uint32_t type = 0;
    const MCIERROR capsError = ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
        return device.getDevCaps(id, MCI_GETDEVCAPS_ITEM | MCI_WAIT, MCI_GETDEVCAPS_DEVICE_TYPE,
                                 type);
    });
    info.DeviceType = capsError == 0 ? std::int32_t(type) : -1;

    TMciSysInfo sysinfo;
    sysinfo.deviceType = info.DeviceType > 0 ? std::uint32_t(info.DeviceType) : 0;
    if (ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
            return device.sysInfo(id, MCI_SYSINFO_INSTALLNAME | MCI_WAIT, sysinfo);
        }) == 0)
        info.Name = sysinfo.name;
    else
        info.Name.clear();

    info.UsesFiles = true;

    QString product;
    if (ToDevice([&](TMciCommands &device, MCIDEVICEID id) {
            return device.info(id, MCI_INFO_PRODUCT | MCI_WAIT, product);
        }) == 0)
        info.Description = product;
    else
        info.Description.clear();
}

void TSonoricPlayer::Close()
{
    if (!opened_) return;
    try {
        if (GetMode() != MCI_MODE_STOP) Stop();
    } catch (...) {
        // Closing goes on: the medium is released even when it cannot be stopped.
    }
    opened_ = false;
    cacheActive_ = false;
    ToDevice([](TMciCommands &device, MCIDEVICEID id) {
        return device.generic(id, MCI_CLOSE, MCI_WAIT, nullptr);
    });
    currentDeviceID_ = 0;
}

// ---- Transport ----------------------------------------------------------------------------------

void TSonoricPlayer::Play()
{
    if (!opened_ || !device_) return;
    pendingCommand_ = pcPlay;
    std::uint32_t flags = 0;
    std::uint32_t to = 0;
    if (trackChosen_ && hasTracks_) {
        // A title bound to a track of a disc is that track alone, not the rest of the disc.
        const std::uint32_t track = GetCurrentTrack();
        flags = MCI_TO;
        to = PhysicalTrackStart(track) + PhysicalTrackLength(track);
    }
    CheckError(SendNotifying(MCI_PLAY, flags, to));
    if (device_->DeviceType == std::int32_t(MCI_DEVTYPE_SEQUENCER)) resetPending_ = true;
}

void TSonoricPlayer::Pause()
{
    if (!opened_) return;
    pendingCommand_ = pcPause;
    CheckError(SendNotifying(MCI_PAUSE, MCI_WAIT));
}

void TSonoricPlayer::Resume()
{
    if (!opened_) return;
    if (GetMode() != MCI_MODE_PAUSE) {
        Play();
        return;
    }
    pendingCommand_ = pcPlay;
    CheckError(SendNotifying(MCI_RESUME, 0));
}

void TSonoricPlayer::PlayPause()
{
    if (!opened_) return;
    if (GetMode() == MCI_MODE_PLAY)
        Pause();
    else
        Resume();
}

void TSonoricPlayer::Stop()
{
    if (!opened_) return;
    pendingCommand_ = pcStop;
    CheckError(SendNotifying(MCI_STOP, MCI_WAIT));
    Refresh();
}

void TSonoricPlayer::Seek(std::uint32_t Position)
{
    if (modeTime_ == spmtPhysical)
        SeekPhysical(Position);
    else
        SeekLogical(Position);
}

void TSonoricPlayer::SeekLogical(std::uint32_t Position)
{
    std::uint64_t target = std::uint64_t(PhysicalStart()) + Position;
    if (hasTracks_) target += LogicalTrackStart(GetCurrentTrack());
    SeekPhysical(Clamp32(target));
}

void TSonoricPlayer::SeekPhysical(std::uint32_t Position)
{
    if (!opened_) return;
    // The medium ends at its start plus its length (a CD starts a little after 0).
    const std::uint32_t start = PhysicalStart();
    const std::uint32_t end = Clamp32(std::uint64_t(start) + PhysicalLength());
    const std::uint32_t target = std::clamp(Position, start, end);

    modeBeforeSeek_ = GetMode();
    if (modeBeforeSeek_ == MCI_MODE_PLAY) Pause();
    pendingCommand_ = pcSeek;
    CheckError(SendNotifying(MCI_SEEK, MCI_TO, target));
}

void TSonoricPlayer::SetTrack(std::int64_t Track)
{
    const std::int64_t count = GetNumberOfTracks();
    const auto track = std::uint32_t(std::max<std::int64_t>(1, std::min(Track, count)));
    // The seek takes a device position, so the track's start is taken as the device has it.
    SeekPhysical(PhysicalTrackStart(track));
    trackChosen_ = true;
    Refresh();
}

void TSonoricPlayer::NextTrack()
{
    SetTrack(std::int64_t(GetCurrentTrack()) + 1);
}

void TSonoricPlayer::PrevTrack()
{
    SetTrack(std::int64_t(GetCurrentTrack()) - 1);
}

void TSonoricPlayer::SetDoorOpen(bool DoorOpen)
{
    if (!opened_) return;
    const std::uint32_t door = DoorOpen ? MCI_SET_DOOR_OPEN : MCI_SET_DOOR_CLOSED;
    CheckError(ToDevice([door](TMciCommands &device, MCIDEVICEID id) {
        return device.set(id, door | MCI_WAIT, 0);
    }));
}

void TSonoricPlayer::Configure()
{
    if (!opened_) return;
    QObject *notify = notifyWindow_.get();
    CheckError(ToDevice([notify](TMciCommands &device, MCIDEVICEID id) {
        return device.generic(id, MCI_CONFIGURE, MCI_NOTIFY, notify);
    }));
}

// ---- Completion notices
// ---------------------------------------------------------------------------

void TSonoricPlayer::HandleNotify(unsigned /*notifyCode*/, MCIDEVICEID /*deviceId*/)
{
    // Whatever the notice says, it counts for the notifying command issued last. The pending
    // command is taken first, so that a command issued from here (the resume after a seek, or
    // the next title started by a handler) keeps its own.
    const TPendingCommand pending = pendingCommand_;
    pendingCommand_ = pcNone;
    switch (pending) {
    case pcSeek:
        if (modeBeforeSeek_ == MCI_MODE_PLAY && GetMode() != MCI_MODE_PLAY) Resume();
        Refresh();
        break;
    case pcPlay:
        Refresh();
        if (OnPlayStopped) OnPlayStopped(this);
        break;
    default:
        break;
    }
    if (OnNotify) OnNotify(this);
}

// ---- Status -------------------------------------------------------------------------------------

void TSonoricPlayer::Refresh()
{
    if (!cacheActive_) return;
    cacheActive_ = false;
    if (IsReady()) {
        cachedTrack_ = GetCurrentTrack();
        cachedLength_ = PhysicalLength();
        cachedPosition_ = PhysicalPosition();
        cachedStart_ = PhysicalStart();
        cachedTrackLength_ = PhysicalTrackLength(cachedTrack_);
        cachedTrackStart_ = PhysicalTrackStart(cachedTrack_);
    }
    cacheActive_ = true;
}

bool TSonoricPlayer::IsReady()
{
    if (!opened_) return false;
    return StatusItem(MCI_STATUS_READY) != 0;
}

std::uint32_t TSonoricPlayer::GetMode()
{
    if (!IsReady()) return MCI_MODE_NOT_READY;
    return StatusItem(MCI_STATUS_MODE);
}

std::uint32_t TSonoricPlayer::GetCurrentTrack()
{
    return StatusItem(MCI_STATUS_CURRENT_TRACK);
}

std::uint32_t TSonoricPlayer::GetNumberOfTracks()
{
    return StatusItem(MCI_STATUS_NUMBER_OF_TRACKS);
}

std::uint32_t TSonoricPlayer::GetTimeFormat()
{
    return StatusItem(MCI_STATUS_TIME_FORMAT);
}

std::uint32_t TSonoricPlayer::GetLength()
{
    return modeTime_ == spmtPhysical ? PhysicalLength() : LogicalLength();
}

std::uint32_t TSonoricPlayer::GetPosition()
{
    return modeTime_ == spmtPhysical ? PhysicalPosition() : LogicalPosition();
}

std::uint32_t TSonoricPlayer::TrackLength(std::uint32_t Track)
{
    return modeTime_ == spmtPhysical ? PhysicalTrackLength(Track) : LogicalTrackLength(Track);
}

std::uint32_t TSonoricPlayer::TrackStart(std::uint32_t Track)
{
    return modeTime_ == spmtPhysical ? PhysicalTrackStart(Track) : LogicalTrackStart(Track);
}

std::uint32_t TSonoricPlayer::PhysicalLength()
{
    return cacheActive_ ? cachedLength_ : StatusItem(MCI_STATUS_LENGTH);
}

std::uint32_t TSonoricPlayer::PhysicalStart()
{
    return cacheActive_ ? cachedStart_ : StatusItem(MCI_STATUS_POSITION, MCI_STATUS_START);
}

std::uint32_t TSonoricPlayer::PhysicalPosition()
{
    if (cacheActive_ && GetMode() != MCI_MODE_PLAY) return cachedPosition_;
    cachedPosition_ = StatusItem(MCI_STATUS_POSITION);
    return cachedPosition_;
}

std::uint32_t TSonoricPlayer::PhysicalTrackLength(std::uint32_t Track)
{
    if (cacheActive_ && Track == cachedTrack_) return cachedTrackLength_;
    if (!hasTracks_) return PhysicalLength();
    return StatusItem(MCI_STATUS_LENGTH, MCI_TRACK, Track);
}

std::uint32_t TSonoricPlayer::PhysicalTrackStart(std::uint32_t Track)
{
    if (cacheActive_ && Track == cachedTrack_) return cachedTrackStart_;
    if (!hasTracks_) return PhysicalStart();
    return StatusItem(MCI_STATUS_POSITION, MCI_TRACK, Track);
}

std::uint32_t TSonoricPlayer::LogicalTrackLength(std::uint32_t Track)
{
    // The first track holds the lead-in before the medium's start.
    if (!hasTracks_ || Track == 1) return Less(PhysicalTrackLength(Track), PhysicalStart());
    return PhysicalTrackLength(Track);
}

std::uint32_t TSonoricPlayer::LogicalTrackStart(std::uint32_t Track)
{
    return Less(PhysicalTrackStart(Track), PhysicalStart());
}

std::uint32_t TSonoricPlayer::LogicalLength()
{
    if (hasTracks_) return LogicalTrackLength(GetCurrentTrack());
    return Less(PhysicalLength(), PhysicalStart());
}

std::uint32_t TSonoricPlayer::LogicalPosition()
{
    std::uint32_t position = Less(PhysicalPosition(), PhysicalStart());
    if (hasTracks_) position = Less(position, LogicalTrackStart(GetCurrentTrack()));
    return position;
}

// ---- Devices ------------------------------------------------------------------------------------

void TSonoricPlayer::ShowSkipMessage(const QString &text)
{
    messageService().show(text, QString(), MB_OK | MB_ICONERROR);
}

void TSonoricPlayer::AnalyzeDevices()
{
    if (opened_) Close();
    ClearDevices();
    AnalyzeMCIDevices();
    AnalyzePluginDevices();
    BuildDeviceMenu();
}

void TSonoricPlayer::ClearDevices()
{
    // The records are about to go: a medium open on one of them is closed first.
    if (devices_.Contains(device_)) {
        if (opened_) Close();
        device_ = nullptr;
    }
    devices_.Clear();
}

bool TSonoricPlayer::AnalyzeCandidate(std::unique_ptr<TSPDeviceInfo> &info, TMciCommands &device,
                                      QString *failure)
{
    try {
        if (OnAnalyzing) OnAnalyzing(this, info.get());
        if (info->Kind == TSPDeviceInfo::KindMci && info->Name == QLatin1String("cdaudio")) {
            // The drive is not woken up for its description: it is a CD drive.
            info->DeviceType = std::int32_t(MCI_DEVTYPE_CD_AUDIO);
            info->UsesFiles = false;
            info->CanEject = true;
            info->Description = QStringLiteral("CD Audio");
        } else if (!TSPDeviceProbe(device).Probe(*info, failure)) {
            return false;
        }
    } catch (const std::exception &e) {
        *failure = QString::fromUtf8(e.what());
        return false;
    }
    if (!devices_.Accept(info)) {
        *failure = OperationAbortedText();
        return false;
    }
    return true;
}

void TSonoricPlayer::AnalyzeMCIDevices()
{
    if (opened_) Close();

    TMciLayer &layer = TMciLayer::instance();
    TMciSysInfo quantity;
    std::uint32_t count = 0;
    const MCIERROR quantityError = layer.sysInfo(MCI_ALL_DEVICE_ID, MCI_SYSINFO_QUANTITY, quantity);
    if (quantityError == 0)
        count = quantity.count;
    else
        ShowSkipMessage(ErrorText(quantityError));
    // No system has more; a larger count is a broken answer.
    count = std::min<std::uint32_t>(count, 255);

    for (std::uint32_t number = 1; number <= count; ++number) {
        TMciSysInfo sysinfo;
        sysinfo.number = number;
        const MCIERROR nameError = layer.sysInfo(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, sysinfo);
        if (nameError != 0) {
            ShowSkipMessage(ErrorText(nameError));
            continue;
        }
        auto info = std::make_unique<TSPDeviceInfo>();
        info->IsAny = false;
        info->Kind = TSPDeviceInfo::KindMci;
        info->Name = sysinfo.name;
        info->Identifier = devices_.Count();
        QString failure;
        if (!AnalyzeCandidate(info, layer, &failure)) ShowSkipMessage(failure);
    }
    devices_.SetMCIDeviceCount(devices_.Count() - devices_.PluginDeviceCount());
}

void TSonoricPlayer::AnalyzePluginDevices()
{
    if (opened_) Close();
    std::int32_t count = 0;
    if (OnDeviceCount && OnDeviceMessage) {
        try {
            OnDeviceCount(this, count);
        } catch (const std::exception &e) {
            ShowSkipMessage(QString::fromUtf8(e.what()));
            count = 0;
        }
    }

    // A plug-in candidate is the current device while it is analysed, so that every command
    // reaches it.
    const int mciCount = devices_.MCIDeviceCount();
    for (std::int32_t index = 0; index < count; ++index) {
        auto info = std::make_unique<TSPDeviceInfo>();
        info->IsAny = false;
        info->Kind = TSPDeviceInfo::KindPlugin;
        // The owner numbers plug-in devices after the player's own ones, in the order they
        // were registered; the record keeps that number even when an earlier plug-in device
        // was skipped, so that its commands still reach the right device.
        info->Identifier = mciCount + index;
        device_ = info.get();
        currentDeviceID_ = info->Identifier;

        TMciSysInfo sysinfo;
        sysinfo.number = std::uint32_t(info->Identifier) + 1;
        QString failure;
        MCIERROR nameError = 0;
        try {
            nameError = pluginChannel_->sysInfo(CurrentId(), MCI_SYSINFO_NAME, sysinfo);
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
            nameError = MCIERR_INTERNAL;
        }
        if (nameError != 0) {
            ShowSkipMessage(failure.isEmpty() ? ErrorText(nameError) : failure);
            continue;
        }
        info->Name = sysinfo.name;
        if (!AnalyzeCandidate(info, *pluginChannel_, &failure)) ShowSkipMessage(failure);
    }
    devices_.SetPluginDeviceCount(devices_.Count() - mciCount);
    device_ = nullptr;
    currentDeviceID_ = 0;
}

// ---- Device menu --------------------------------------------------------------------------------

void TSonoricPlayer::SetDeviceMenu(std::unique_ptr<TSPDeviceMenu> menu)
{
    deviceMenu_ = std::move(menu);
    if (deviceMenu_ && !menuItems_.empty()) deviceMenu_->SetItems(menuItems_);
}

void TSonoricPlayer::BuildDeviceMenu()
{
    menuItems_ = devices_.MenuItems();
    if (deviceMenu_) deviceMenu_->SetItems(menuItems_);
}

void TSonoricPlayer::DeviceMenuClick(int Tag)
{
    if (!OnMenuClicked) return;
    if (Tag == TSPMenuItem::AnyTag) {
        AnyDeviceInfo.Name.clear();
        AnyDeviceInfo.Description.clear();
        AnyDeviceInfo.DeviceType = -1;
        OnMenuClicked(this, &AnyDeviceInfo);
        return;
    }
    if (Tag < 0 || Tag >= devices_.Count()) return;
    OnMenuClicked(this, devices_.Records()[std::size_t(Tag)].get());
}
