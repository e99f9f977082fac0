#include "mcitestsupport.h"

#include "platform/audio/testsources.h"
#include "platform/mci/mcinotifyevent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cmath>

std::vector<unsigned> TNoticeRecorder::codes() const
{
    std::vector<unsigned> out;
    for (const TNotice &n : notices)
        out.push_back(n.code);
    return out;
}

void TNoticeRecorder::customEvent(QEvent *event)
{
    if (event->type() == TMciNotifyEvent::kType) {
        auto *notice = static_cast<TMciNotifyEvent *>(event);
        notices.push_back({notice->notifyCode(), notice->deviceId()});
    }
}

std::vector<float> readStereoWav(const QString &path, int *rate)
{
    TWavContents contents = readWav(path);
    if (rate) *rate = contents.sampleRate;
    return contents.ok ? std::move(contents.samples) : std::vector<float>();
}

long firstSound(const std::vector<float> &stereo, float threshold, long fromFrame)
{
    for (std::size_t i = std::size_t(fromFrame) * 2; i < stereo.size(); ++i) {
        if (std::fabs(stereo[i]) > threshold) return long(i / 2);
    }
    return -1;
}

MCIERROR openFile(const QString &path, MCIDEVICEID &id, const char *type, const char *alias)
{
    const QByteArray element = path.toUtf8();
    MCI_OPEN_PARMS open{};
    open.lpstrElementName = element.constData();
    open.lpstrDeviceType = type;
    open.lpstrAlias = alias;
    std::uintptr_t flags = MCI_OPEN_ELEMENT | MCI_WAIT;
    if (type) flags |= MCI_OPEN_TYPE;
    if (alias) flags |= MCI_OPEN_ALIAS;
    const MCIERROR error =
        mciSendCommand(0, MCI_OPEN, flags, reinterpret_cast<std::uintptr_t>(&open));
    id = error == 0 ? open.wDeviceID : 0;
    return error;
}

MCIERROR statusItem(MCIDEVICEID id, std::uint32_t item, std::uintptr_t &value,
                    std::uint32_t extraFlags, std::uint32_t track)
{
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    status.dwTrack = track;
    const MCIERROR error = mciSendCommand(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | extraFlags,
                                          reinterpret_cast<std::uintptr_t>(&status));
    value = status.dwReturn;
    return error;
}

std::uintptr_t statusOf(MCIDEVICEID id, std::uint32_t item)
{
    std::uintptr_t value = 0;
    return statusItem(id, item, value) == 0 ? value : 0xDEAD;
}

std::uintptr_t settledPosition(MCIDEVICEID id)
{
    std::uintptr_t last = statusOf(id, MCI_STATUS_POSITION);
    for (int i = 0; i < 40; ++i) {
        RunEvents(50);
        const std::uintptr_t now = statusOf(id, MCI_STATUS_POSITION);
        if (now == last) break;
        last = now;
    }
    return last;
}

MCIERROR closeDevice(MCIDEVICEID id)
{
    return mciSendCommand(id, MCI_CLOSE, MCI_WAIT, 0);
}

QString errorText(MCIERROR code)
{
    char buffer[300];
    mciGetErrorString(code, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

std::uint32_t devCaps(MCIDEVICEID id, std::uint32_t item, MCIERROR *error)
{
    MCI_GETDEVCAPS_PARMS caps{};
    caps.dwItem = item;
    const MCIERROR e = mciSendCommand(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT,
                                      reinterpret_cast<std::uintptr_t>(&caps));
    if (error) *error = e;
    return caps.dwReturn;
}

QString productOf(MCIDEVICEID id)
{
    char buffer[300] = "";
    MCI_INFO_PARMS info{0, buffer, sizeof buffer};
    mciSendCommand(id, MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT,
                   reinterpret_cast<std::uintptr_t>(&info));
    return QString::fromUtf8(buffer);
}

QString sysInfoName(MCIDEVICEID id, std::uintptr_t flags, std::uint32_t number, MCIERROR *error)
{
    char buffer[300] = "";
    MCI_SYSINFO_PARMS info{};
    info.lpstrReturn = buffer;
    info.dwRetSize = sizeof buffer;
    info.dwNumber = number;
    const MCIERROR e =
        mciSendCommand(id, MCI_SYSINFO, flags | MCI_WAIT, reinterpret_cast<std::uintptr_t>(&info));
    if (error) *error = e;
    return QString::fromUtf8(buffer);
}

QStringList deviceNames()
{
    char count[4] = {};
    MCI_SYSINFO_PARMS info{0, count, sizeof count, 0, 0};
    mciSendCommand(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_WAIT,
                   reinterpret_cast<std::uintptr_t>(&info));
    QStringList names;
    for (std::uint32_t n = 1; n <= std::uint8_t(count[0]); ++n)
        names << sysInfoName(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, n);
    return names;
}

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"

void TMciTest::SetUp()
{
    qputenv("TONARIA_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2");
}

void TMciTest::TearDown()
{
    TMciLayer::shutdown();
}

TAudioOutput *TMciTest::useOutput(const QString &choice)
{
    QString notice;
    std::unique_ptr<TAudioOutput> output = TAudioOutput::create(choice, &notice);
    TAudioOutput *raw = output.get();
    TMciLayer::instance().setAudioOutput(std::move(output));
    return raw;
}
