#pragma once
// The media-control layer: the table of open devices behind mciSendCommand(), the drivers
// (kinds of device) it can open, the extension table that picks a driver for a file, and the
// one audio output every device plays into. The program's own callers use its typed commands
// (TMciCommands); sendCommand() takes the parameter blocks of the C interface.
//
// The extension table is read from mci.ini in the program folder at the first open that needs
// it, and kept until the layer ends.
//
// There is one layer per process, made on first use and torn down when the QCoreApplication
// ends (or by shutdown()). The audio output is made on first need from TONARIA_AUDIO (a
// fallback notice goes to standard error once); the render tool and tests put in their own.
//
// Threads: main thread only (the thread of the QCoreApplication). mciSendCommand() from another
// thread answers MCIERR_WRONG_THREAD without touching the layer. Completion notices are posted
// to their receivers on the main thread; the end of a play is noticed by a timer of the main
// thread, so notices need a running event loop (a play with MCI_WAIT does not).

#include "tonaria/mci.h"

#include "platform/mci/mcicommands.h"
#include "platform/mci/mciextensions.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class TAudioOutput;
class TAudioSource;
class TMciDevice;
class TMciDriver;

class TMciLayer : public TMciCommands {
public:
    static TMciLayer &instance();
    // Closes every device, drops the output and the drivers; the next instance() starts anew.
    static void shutdown();
    // True on the thread that may send commands.
    static bool onMainThread();

    TMciLayer(const TMciLayer &) = delete;
    TMciLayer &operator=(const TMciLayer &) = delete;

    // A command of the C interface: `params` is the address of its parameter block.
    MCIERROR sendCommand(MCIDEVICEID id, std::uint32_t message, std::uintptr_t flags,
                         std::uintptr_t params);

    // The typed commands.
    MCIERROR open(const TMciOpenRequest &request, MCIDEVICEID &id) override;
    MCIERROR generic(MCIDEVICEID id, std::uint32_t command, std::uint32_t flags,
                     QObject *notify) override;
    MCIERROR play(MCIDEVICEID id, std::uint32_t flags, QObject *notify, std::uint32_t from = 0,
                  std::uint32_t to = 0) override;
    MCIERROR seek(MCIDEVICEID id, std::uint32_t flags, std::uint32_t to,
                  QObject *notify) override;
    MCIERROR status(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item, std::uint32_t track,
                    std::uintptr_t &value) override;
    MCIERROR set(MCIDEVICEID id, std::uint32_t flags, std::uint32_t timeFormat) override;
    MCIERROR getDevCaps(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                        std::uint32_t &value) override;
    MCIERROR info(MCIDEVICEID id, std::uint32_t flags, QString &text) override;
    MCIERROR sysInfo(MCIDEVICEID id, std::uint32_t flags, TMciSysInfo &query) override;

    MCIDEVICEID deviceId(const QString &name) const;

    // Adds a kind of device at the end of the table (MCI_SYSINFO lists them in this order).
    void registerDriver(std::unique_ptr<TMciDriver> driver);
    // True when a kind of device of that name (compared without case) is in the table.
    bool hasDriver(const QString &name) const { return driverByName(name) != nullptr; }

    // Uses this table instead of the one of mci.ini.
    void setExtensionTable(const TMciExtensionTable &table) { extensions_ = table; }

    // The output devices play into; made from TONARIA_AUDIO on first call. Null when none
    // could be made.
    TAudioOutput *audioOutput();
    // Replaces the output; every open device is closed first (pending notices are aborted).
    void setAudioOutput(std::unique_ptr<TAudioOutput> output);
    // Runs `hook` each time the output is about to go (replaced, or the layer ends), after the
    // devices are closed: a sound source attached to it for good detaches itself there.
    void addOutputReleaseHook(std::function<void()> hook);

    // The sound source of an open device's medium, or null (for tests and the render tool).
    TAudioSource *sourceOf(MCIDEVICEID id) const;

private:
    TMciLayer();
    ~TMciLayer() override;

    MCIERROR openBlock(std::uintptr_t flags, MCI_OPEN_PARMS *params);
    MCIERROR close(MCIDEVICEID id, std::uintptr_t flags, QObject *notify);
    MCIERROR sysInfoBlock(std::uintptr_t flags, MCI_SYSINFO_PARMS *params);
    // The names MCI_SYSINFO lists: kinds of device, or open devices with MCI_SYSINFO_OPEN.
    QStringList sysInfoNames(std::uintptr_t flags, std::uint32_t type) const;
    // A command for one open device, its block at `block`.
    MCIERROR deviceCommand(MCIDEVICEID id, std::uint32_t message, std::uintptr_t flags,
                           void *block);
    void closeAll();
    TMciDriver *driverByName(const QString &name) const;
    TMciDriver *driverByType(std::uint32_t type) const;
    const TMciExtensionTable &extensionTable();
    MCIDEVICEID nextId();
    void poll();

    std::vector<std::unique_ptr<TMciDriver>> drivers_;
    std::map<MCIDEVICEID, std::unique_ptr<TMciDevice>> devices_;
    void releaseOutput();

    std::unique_ptr<TAudioOutput> output_;
    std::vector<std::function<void()>> releaseHooks_;
    bool outputTried_ = false;
    std::optional<TMciExtensionTable> extensions_;
    MCIDEVICEID lastId_ = 0;
    QTimer pollTimer_;
};
