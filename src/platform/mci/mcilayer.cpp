#include "platform/mci/mcilayer.h"

#include "platform/audio/audiooutput.h"
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

TMciExtensionTable TMciLayer::extensionTable() const
{
    if (extensions_) return *extensions_;
    return TMciExtensionTable::fromProgramFolder(programFolder());
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
        return open(flags, static_cast<MCI_OPEN_PARMS *>(block));
    case MCI_SYSINFO:
        if (!(flags & MCI_SYSINFO_INSTALLNAME))
            return sysInfo(flags, static_cast<MCI_SYSINFO_PARMS *>(block));
        break;
    case MCI_CLOSE:
        return close(id, flags, static_cast<const MCI_GENERIC_PARMS *>(block));
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

MCIERROR TMciLayer::open(std::uintptr_t flags, MCI_OPEN_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;

    QString element;
    if (flags & MCI_OPEN_ELEMENT) {
        if (!params->lpstrElementName || !*params->lpstrElementName)
            return MCIERR_FILENAME_REQUIRED;
        element = QString::fromUtf8(params->lpstrElementName);
    }

    TMciDriver *driver = nullptr;
    QString typeName;
    if (flags & MCI_OPEN_TYPE) {
        if (flags & MCI_OPEN_TYPE_ID) {
            const auto type =
                std::uint32_t(reinterpret_cast<std::uintptr_t>(params->lpstrDeviceType) & 0xFFFF);
            driver = driverByType(type);
            if (!driver) return MCIERR_INVALID_DEVICE_NAME;
        } else {
            if (!params->lpstrDeviceType || !*params->lpstrDeviceType)
                return MCIERR_MISSING_DEVICE_NAME;
            typeName = QString::fromUtf8(params->lpstrDeviceType);
            driver = driverByName(typeName);
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
        if (!params->lpstrAlias || !*params->lpstrAlias) return MCIERR_MISSING_STRING_ARGUMENT;
        name = QString::fromUtf8(params->lpstrAlias);
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
    if (!element.isEmpty()) {
        const MCIERROR error = device->openElement(element);
        if (error != 0) {
            --lastId_;
            return error;
        }
    }
    devices_.emplace(id, std::move(device));
    params->wDeviceID = id;
    if (flags & MCI_NOTIFY)
        postMciNotify(mciReceiver(params->dwCallback), MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
}

MCIERROR TMciLayer::close(MCIDEVICEID id, std::uintptr_t flags, const MCI_GENERIC_PARMS *params)
{
    if ((flags & MCI_NOTIFY) && !params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (id == MCI_ALL_DEVICE_ID) {
        closeAll();
    } else {
        const auto it = devices_.find(id);
        if (it == devices_.end()) return MCIERR_INVALID_DEVICE_ID;
        std::unique_ptr<TMciDevice> device = std::move(it->second);
        devices_.erase(it);
        device->close(flags);
    }
    if (flags & MCI_NOTIFY)
        postMciNotify(mciReceiver(params->dwCallback), MCI_NOTIFY_SUCCESSFUL, id);
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

MCIERROR TMciLayer::sysInfo(std::uintptr_t flags, MCI_SYSINFO_PARMS *params)
{
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    const bool openOnly = (flags & MCI_SYSINFO_OPEN) != 0;
    const std::uint32_t type = params->wDeviceType;
    // The names asked about: kinds of device, or open devices with MCI_SYSINFO_OPEN.
    QStringList names;
    if (openOnly) {
        for (const auto &[id, device] : devices_) {
            if (type == 0 || device->driver().deviceType() == type) names.append(device->name());
        }
    } else {
        for (const auto &driver : drivers_) {
            if (type == 0 || driver->deviceType() == type) names.append(driver->name());
        }
    }
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

void TMciLayer::poll()
{
    bool busy = false;
    for (const auto &[id, device] : devices_) {
        device->poll();
        busy = busy || device->needsPolling();
    }
    if (!busy) pollTimer_.stop();
}

// ---- The exported functions ------------------------------------------------------------------

extern "C" MCIERROR mciSendCommand(MCIDEVICEID mciId, std::uint32_t uMsg, std::uintptr_t dwParam1,
                                   std::uintptr_t dwParam2)
{
    if (!TMciLayer::onMainThread()) return MCIERR_WRONG_THREAD;
    return TMciLayer::instance().sendCommand(mciId, uMsg, dwParam1, dwParam2);
}

extern "C" int mciGetErrorString(MCIERROR mcierr, char *pszText, std::uint32_t cchText)
{
    const char *text = mciErrorText(mcierr);
    if (!pszText || cchText == 0) return text ? 1 : 0;
    mciCopyText(text ? QString::fromUtf8(text) : QString(), pszText, cchText);
    return text ? 1 : 0;
}

extern "C" MCIDEVICEID mciGetDeviceID(const char *pszDevice)
{
    if (!pszDevice || !TMciLayer::onMainThread()) return 0;
    return TMciLayer::instance().deviceId(QString::fromUtf8(pszDevice));
}
