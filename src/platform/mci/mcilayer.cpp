#include "platform/mci/mcilayer.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/cdaudiodriver.h"
#include "platform/mci/mcidevice.h"
#include "platform/mci/mcidriver.h"
#include "platform/mci/mcierrortext.h"
#include "platform/mci/mcinotifyevent.h"
#include "platform/mci/sequencerdriver.h"
#include "platform/mci/waveaudiodriver.h"
#include "platform/system/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

TMciLayer *g_layer = nullptr;

// The folder that holds mci.ini: the program folder.
QString programFolder()
{
    return LocateProgramFolder(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                            : QString());
}

void tearDown()
{
    TMciLayer::shutdown();
}

} // namespace

TMciLayer &TMciLayer::instance()
{
    if (!g_layer) {
        g_layer = new TMciLayer();
        qAddPostRoutine(tearDown);
    }
    return *g_layer;
}

void TMciLayer::shutdown()
{
    delete g_layer;
    g_layer = nullptr;
}

bool TMciLayer::onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

TMciLayer::TMciLayer()
{
    registerDriver(std::make_unique<TSequencerDriver>());
    registerDriver(std::make_unique<TWaveAudioDriver>());
    // The drive is not looked for until the device is opened.
    registerDriver(std::make_unique<TCdAudioDriver>());
    pollTimer_.setInterval(10);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { poll(); });
}

TMciLayer::~TMciLayer()
{
    pollTimer_.stop();
    closeAll();
    // The program ends after the last title's tail, not in the middle of it.
    if (output_) output_->waitForTails(std::chrono::milliseconds(2500));
    releaseOutput();
}

void TMciLayer::registerDriver(std::unique_ptr<TMciDriver> driver)
{
    if (driver) drivers_.push_back(std::move(driver));
}

TAudioOutput *TMciLayer::audioOutput()
{
    if (!output_ && !outputTried_) {
        outputTried_ = true;
        QString notice;
        output_ = TAudioOutput::createFromEnvironment(&notice);
        if (!notice.isEmpty()) std::fprintf(stderr, "Tonaria: %s\n", qPrintable(notice));
    }
    return output_.get();
}

void TMciLayer::setAudioOutput(std::unique_ptr<TAudioOutput> output)
{
    closeAll();
    releaseOutput();
    output_ = std::move(output);
    outputTried_ = true;
}

void TMciLayer::addOutputReleaseHook(std::function<void()> hook)
{
    if (hook) releaseHooks_.push_back(std::move(hook));
}

void TMciLayer::releaseOutput()
{
    if (output_) {
        // A hook may add another one; the new one waits for the next output.
        const std::vector<std::function<void()>> hooks = releaseHooks_;
        for (const auto &hook : hooks)
            hook();
    }
    output_.reset();
}

TAudioSource *TMciLayer::sourceOf(MCIDEVICEID id) const
{
    const auto it = devices_.find(id);
    return it == devices_.end() ? nullptr : it->second->source();
}

MCIDEVICEID TMciLayer::deviceId(const QString &name) const
{
    for (const auto &[id, device] : devices_) {
        if (device->name().compare(name, Qt::CaseInsensitive) == 0) return id;
    }
    return 0;
}

TMciDriver *TMciLayer::driverByName(const QString &name) const
{
    for (const auto &driver : drivers_) {
        if (driver->name().compare(name, Qt::CaseInsensitive) == 0) return driver.get();
    }
    return nullptr;
}

TMciDriver *TMciLayer::driverByType(std::uint32_t type) const
{
    for (const auto &driver : drivers_) {
        if (driver->deviceType() == type) return driver.get();
    }
    return nullptr;
}

const TMciExtensionTable &TMciLayer::extensionTable()
{
    if (!extensions_) extensions_ = TMciExtensionTable::fromProgramFolder(programFolder());
    return *extensions_;
}

MCIDEVICEID TMciLayer::nextId()
{
    // IDs are not reused soon: a stale ID names no device rather than a new one.
    do {
        ++lastId_;
        if (lastId_ == 0 || lastId_ == MCI_ALL_DEVICE_ID) lastId_ = 1;
    } while (devices_.count(lastId_) != 0);
    return lastId_;
}

MCIERROR TMciLayer::sendCommand(MCIDEVICEID id, std::uint32_t message, std::uintptr_t flags,
                                std::uintptr_t params)
{
    void *block = reinterpret_cast<void *>(params);
    switch (message) {
    case MCI_OPEN:
        return openBlock(flags, static_cast<MCI_OPEN_PARMS *>(block));
    case MCI_SYSINFO:
        if (!(flags & MCI_SYSINFO_INSTALLNAME))
            return sysInfoBlock(flags, static_cast<MCI_SYSINFO_PARMS *>(block));
        break;
    case MCI_CLOSE: {
        const auto *generic = static_cast<const MCI_GENERIC_PARMS *>(block);
        if ((flags & MCI_NOTIFY) && !generic) return MCIERR_NULL_PARAMETER_BLOCK;
        return close(id, flags, generic ? mciReceiver(generic->dwCallback).data() : nullptr);
    }
    case MCI_ESCAPE:
    case MCI_PLAY:
    case MCI_SEEK:
    case MCI_STOP:
    case MCI_PAUSE:
    case MCI_INFO:
    case MCI_GETDEVCAPS:
    case MCI_SPIN:
    case MCI_SET:
    case MCI_STEP:
    case MCI_RECORD:
    case MCI_BREAK:
    case MCI_SAVE:
    case MCI_STATUS:
    case MCI_CUE:
    case MCI_REALIZE:
    case MCI_WINDOW:
    case MCI_PUT:
    case MCI_WHERE:
    case MCI_FREEZE:
    case MCI_UNFREEZE:
    case MCI_LOAD:
    case MCI_CUT:
    case MCI_COPY:
    case MCI_PASTE:
    case MCI_UPDATE:
    case MCI_RESUME:
    case MCI_DELETE:
    case MCI_CONFIGURE:
        break;
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    return deviceCommand(id, message, flags, block);
}

MCIERROR TMciLayer::deviceCommand(MCIDEVICEID id, std::uint32_t message, std::uintptr_t flags,
                                  void *block)
{
    const auto it = devices_.find(id);
    if (it == devices_.end()) {
        // The install name of a kind of device may also be asked by its type code.
        auto *info = static_cast<MCI_SYSINFO_PARMS *>(block);
        if (message == MCI_SYSINFO && info && info->wDeviceType != 0) {
            const TMciDriver *driver = driverByType(info->wDeviceType);
            if (!driver) return MCIERR_INVALID_DEVICE_NAME;
            return mciCopyText(driver->name(), info->lpstrReturn, info->dwRetSize);
        }
        return id == MCI_ALL_DEVICE_ID ? MCIERR_CANNOT_USE_ALL : MCIERR_INVALID_DEVICE_ID;
    }
    const MCIERROR error = it->second->command(message, flags, block);
    // The map may have changed meanwhile only through this device; it is still there.
    if (it->second->needsPolling() && !pollTimer_.isActive()) pollTimer_.start();
    return error;
}

MCIERROR TMciLayer::openBlock(std::uintptr_t flags, MCI_OPEN_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    TMciOpenRequest request;
    request.flags = std::uint32_t(flags);
    if (flags & MCI_OPEN_TYPE_ID) {
        // The type code travels in the low word of the name's field.
        request.deviceTypeId =
            std::uint32_t(reinterpret_cast<std::uintptr_t>(params->lpstrDeviceType) & 0xFFFF);
    } else if (params->lpstrDeviceType) {
        request.deviceType = QString::fromUtf8(params->lpstrDeviceType);
    }
    if (params->lpstrElementName) request.element = QString::fromUtf8(params->lpstrElementName);
    if (params->lpstrAlias) request.alias = QString::fromUtf8(params->lpstrAlias);
    request.notify = mciReceiver(params->dwCallback).data();
    MCIDEVICEID id = 0;
    const MCIERROR error = open(request, id);
    if (error == 0) params->wDeviceID = id;
    return error;
}

MCIERROR TMciLayer::open(const TMciOpenRequest &request, MCIDEVICEID &openedId)
{
    const std::uint32_t flags = request.flags;
    if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;

    QString element;
    if (flags & MCI_OPEN_ELEMENT) {
        if (request.element.isEmpty()) return MCIERR_FILENAME_REQUIRED;
        element = request.element;
    }

    TMciDriver *driver = nullptr;
    QString typeName;
    if (flags & MCI_OPEN_TYPE) {
        if (flags & MCI_OPEN_TYPE_ID) {
            driver = driverByType(request.deviceTypeId);
            if (!driver) return MCIERR_INVALID_DEVICE_NAME;
        } else {
            if (request.deviceType.isEmpty()) return MCIERR_MISSING_DEVICE_NAME;
            driver = driverByName(request.deviceType);
            if (!driver) return MCIERR_INVALID_DEVICE_NAME;
        }
        typeName = driver->name();
    } else if (flags & MCI_OPEN_ELEMENT) {
        const QString device = extensionTable().deviceFor(element);
        if (device.isEmpty()) return MCIERR_EXTENSION_NOT_FOUND;
        driver = driverByName(device);
        if (!driver) return MCIERR_DEVICE_NOT_INSTALLED;
        typeName = driver->name();
    } else {
        return MCIERR_DEVICE_TYPE_REQUIRED;
    }
    if (!element.isEmpty() && !driver->usesFiles()) return MCIERR_NO_ELEMENT_ALLOWED;

    QString name;
    if (flags & MCI_OPEN_ALIAS) {
        if (request.alias.isEmpty()) return MCIERR_MISSING_STRING_ARGUMENT;
        name = request.alias;
        if (deviceId(name) != 0) return MCIERR_DUPLICATE_ALIAS;
    } else {
        name = element.isEmpty() ? typeName : element;
        if (deviceId(name) != 0) return MCIERR_DEVICE_OPEN;
    }

    if (!element.isEmpty()) {
        const QFileInfo info(element);
        if (!info.exists() || info.isDir()) return MCIERR_FILE_NOT_FOUND;
        if (!info.isReadable()) return MCIERR_FILE_READ;
    }

    TAudioOutput *output = audioOutput();
    if (!output) return MCIERR_HARDWARE;

    const MCIDEVICEID id = nextId();
    auto device = std::make_unique<TMciDevice>(id, *driver, name, *output);
    if (!element.isEmpty() || !driver->usesFiles()) {
        const MCIERROR error =
            element.isEmpty() ? device->openDevice() : device->openElement(element);
        if (error != 0) {
            --lastId_;
            return error;
        }
    }
    devices_.emplace(id, std::move(device));
    openedId = id;
    if (flags & MCI_NOTIFY) postMciNotify(request.notify, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
}

MCIERROR TMciLayer::close(MCIDEVICEID id, std::uintptr_t flags, QObject *notify)
{
    if (id == MCI_ALL_DEVICE_ID) {
        closeAll();
    } else {
        const auto it = devices_.find(id);
        if (it == devices_.end()) return MCIERR_INVALID_DEVICE_ID;
        std::unique_ptr<TMciDevice> device = std::move(it->second);
        devices_.erase(it);
        device->close(flags);
    }
    if (flags & MCI_NOTIFY) postMciNotify(notify, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
}

void TMciLayer::closeAll()
{
    while (!devices_.empty()) {
        auto it = devices_.begin();
        std::unique_ptr<TMciDevice> device = std::move(it->second);
        devices_.erase(it);
        device->close(0);
    }
}

QStringList TMciLayer::sysInfoNames(std::uintptr_t flags, std::uint32_t type) const
{
    QStringList names;
    if (flags & MCI_SYSINFO_OPEN) {
        for (const auto &[id, device] : devices_) {
            if (type == 0 || device->driver().deviceType() == type) names.append(device->name());
        }
    } else {
        for (const auto &driver : drivers_) {
            if (type == 0 || driver->deviceType() == type) names.append(driver->name());
        }
    }
    return names;
}

MCIERROR TMciLayer::sysInfoBlock(std::uintptr_t flags, MCI_SYSINFO_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    const QStringList names = sysInfoNames(flags, params->wDeviceType);
    if (flags & MCI_SYSINFO_QUANTITY) {
        if (!params->lpstrReturn || params->dwRetSize < sizeof(std::uint32_t))
            return MCIERR_PARAM_OVERFLOW;
        const auto count = std::uint32_t(names.size());
        std::memcpy(params->lpstrReturn, &count, sizeof count);
        return 0;
    }
    if (flags & MCI_SYSINFO_NAME) {
        if (params->dwNumber == 0 || params->dwNumber > std::uint32_t(names.size()))
            return MCIERR_OUTOFRANGE;
        return mciCopyText(names.at(qsizetype(params->dwNumber - 1)), params->lpstrReturn,
                           params->dwRetSize);
    }
    return MCIERR_MISSING_PARAMETER;
}

// ---- The typed commands ----------------------------------------------------------------------
// Each fills the parameter block a device takes; texts come back through a buffer that holds any
// name or product text a device has.

namespace {

constexpr std::uint32_t kTextSize = 1024;

QString bufferText(const char *buffer)
{
    return QString::fromUtf8(buffer, qsizetype(strnlen(buffer, kTextSize)));
}

} // namespace

MCIERROR TMciLayer::generic(MCIDEVICEID id, std::uint32_t command, std::uint32_t flags,
                            QObject *notify)
{
    if (command == MCI_CLOSE) return close(id, flags, notify);
    MCI_GENERIC_PARMS block{};
    block.dwCallback = mciCallback(notify);
    return deviceCommand(id, command, flags, &block);
}

MCIERROR TMciLayer::play(MCIDEVICEID id, std::uint32_t flags, QObject *notify, std::uint32_t from,
                         std::uint32_t to)
{
    MCI_PLAY_PARMS block{};
    block.dwCallback = mciCallback(notify);
    block.dwFrom = from;
    block.dwTo = to;
    return deviceCommand(id, MCI_PLAY, flags, &block);
}

MCIERROR TMciLayer::seek(MCIDEVICEID id, std::uint32_t flags, std::uint32_t to, QObject *notify)
{
    MCI_SEEK_PARMS block{};
    block.dwCallback = mciCallback(notify);
    block.dwTo = to;
    return deviceCommand(id, MCI_SEEK, flags, &block);
}

MCIERROR TMciLayer::status(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                           std::uint32_t track, std::uintptr_t &value)
{
    MCI_STATUS_PARMS block{};
    block.dwItem = item;
    block.dwTrack = track;
    const MCIERROR error = deviceCommand(id, MCI_STATUS, flags, &block);
    value = block.dwReturn;
    return error;
}

MCIERROR TMciLayer::set(MCIDEVICEID id, std::uint32_t flags, std::uint32_t timeFormat)
{
    MCI_SET_PARMS block{};
    block.dwTimeFormat = timeFormat;
    return deviceCommand(id, MCI_SET, flags, &block);
}

MCIERROR TMciLayer::getDevCaps(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                               std::uint32_t &value)
{
    MCI_GETDEVCAPS_PARMS block{};
    block.dwItem = item;
    const MCIERROR error = deviceCommand(id, MCI_GETDEVCAPS, flags, &block);
    value = block.dwReturn;
    return error;
}

MCIERROR TMciLayer::info(MCIDEVICEID id, std::uint32_t flags, QString &text)
{
    char buffer[kTextSize] = {};
    MCI_INFO_PARMS block{};
    block.lpstrReturn = buffer;
    block.dwRetSize = kTextSize;
    const MCIERROR error = deviceCommand(id, MCI_INFO, flags, &block);
    text = error == 0 ? bufferText(buffer) : QString();
    return error;
}

MCIERROR TMciLayer::sysInfo(MCIDEVICEID id, std::uint32_t flags, TMciSysInfo &query)
{
    if (!(flags & MCI_SYSINFO_INSTALLNAME)) {
        const QStringList names = sysInfoNames(flags, query.deviceType);
        if (flags & MCI_SYSINFO_QUANTITY) {
            query.count = std::uint32_t(names.size());
            return 0;
        }
        if (flags & MCI_SYSINFO_NAME) {
            if (query.number == 0 || query.number > std::uint32_t(names.size()))
                return MCIERR_OUTOFRANGE;
            query.name = names.at(qsizetype(query.number - 1));
            return 0;
        }
        return MCIERR_MISSING_PARAMETER;
    }
    char buffer[kTextSize] = {};
    MCI_SYSINFO_PARMS block{};
    block.lpstrReturn = buffer;
    block.dwRetSize = kTextSize;
    block.dwNumber = query.number;
    block.wDeviceType = query.deviceType;
    const MCIERROR error = deviceCommand(id, MCI_SYSINFO, flags, &block);
    query.name = error == 0 ? bufferText(buffer) : QString();
    return error;
}

void TMciLayer::poll()
{
    bool busy = false;
    for (const auto &[id, device] : devices_) {
        device->poll();
        busy = busy || device->needsPolling();
    }
    if (!busy) pollTimer_.stop();
}
