#include "library/librarylistener.h"

#include "library/program.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"

namespace {

class TDefaultLibraryListener : public TLibraryListener {
public:
    void TitleDisposed(const TTitle *) override {}

    void InternalProgramNotDeleted(const TProgram &program) override
    {
        ShowMessageText(
            QStringLiteral("The internal program \"%1\" cannot be removed.").arg(program.Caption),
            MB_OK | MB_ICONERROR);
    }
};

TDefaultLibraryListener defaultListener;
TLibraryListener *installedListener = nullptr;

} // namespace

TLibraryListener &LibraryListener()
{
    return installedListener ? *installedListener : defaultListener;
}

void SetLibraryListener(TLibraryListener *listener)
{
    installedListener = listener;
}
