#include "platform/system/displayprobe.h"

#include <QByteArray>
#include <QtGlobal>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

bool connectsLocally(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The calls of libxcb's public interface the question needs.
using XcbConnect = XcbConnection *(*)(const char *displayName, int *screen);
using XcbHasError = int (*)(XcbConnection *connection);
using XcbDisconnect = void (*)(XcbConnection *connection);

} // namespace

TDisplayProbe::~TDisplayProbe()
{
    Release();
}

void TDisplayProbe::Release()
{
    if (connection_ && disconnect_) disconnect_(connection_);
    connection_ = nullptr;
    disconnect_ = nullptr;
    if (library_) ::dlclose(library_);
    library_ = nullptr;
}

bool TDisplayProbe::WaylandReachable()
{
    QByteArray socket = qgetenv("WAYLAND_DISPLAY");
    if (socket.isEmpty()) return false;
    if (!socket.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) return false;
        socket = runtime + '/' + socket;
    }
    return connectsLocally(socket);
}

bool TDisplayProbe::XReachable()
{
    if (connection_) return true;
    if (qgetenv("DISPLAY").isEmpty()) return false;
    library_ = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library_) return false;
    const auto connect = reinterpret_cast<XcbConnect>(::dlsym(library_, "xcb_connect"));
    const auto hasError =
        reinterpret_cast<XcbHasError>(::dlsym(library_, "xcb_connection_has_error"));
    disconnect_ = reinterpret_cast<XcbDisconnect>(::dlsym(library_, "xcb_disconnect"));
    if (!connect || !hasError || !disconnect_) {
        Release();
        return false;
    }
    // A failed connection is an object too, in an error state, and is freed the same way.
    connection_ = connect(nullptr, nullptr);
    const bool reachable = connection_ && hasError(connection_) == 0;
    if (!reachable) Release();
    return reachable;
}

bool TDisplayProbe::ChooseHeadless()
{
    if (!qgetenv("QT_QPA_PLATFORM").isEmpty()) return false;
    if (WaylandReachable() || XReachable()) return false;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}
