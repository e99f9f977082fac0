#include "plugins/pilibrary.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

TPILibrary TPILibrary::Load(const QString &path)
{
    TPILibrary library;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        library.failure_ = TFailure::Missing;
        return library;
    }
    // A path without a folder would make the loader search its own path list; the listed file
    // is the one meant.
    const QByteArray native = QFile::encodeName(info.absoluteFilePath());
    // Each plug-in keeps its symbols to itself, so that two plug-ins never bind to each
    // other's functions.
    library.handle_ = dlopen(native.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library.handle_) {
        const char *error = dlerror();
        library.error_ = error ? QString::fromLocal8Bit(error) : QString();
        library.failure_ = TFailure::NotLoaded;
        return library;
    }
    dlerror();
    void *entry = dlsym(library.handle_, "PIProc");
    if (!entry) {
        library.Unload();
        library.failure_ = TFailure::NoEntry;
        return library;
    }
    library.proc_ = reinterpret_cast<TPIProc>(entry);
    return library;
}

void TPILibrary::Unload()
{
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
    proc_ = nullptr;
}
