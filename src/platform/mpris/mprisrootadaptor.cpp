#include "platform/mpris/mprisrootadaptor.h"

#include "platform/mpris/mprisservice.h"

TMprisRootAdaptor::TMprisRootAdaptor(TMprisService *service)
    : QDBusAbstractAdaptor(service), service_(service)
{
}

QStringList TMprisRootAdaptor::SupportedMimeTypes() const
{
    // MIDI files, sound files, and the packages that hold them.
    return {QStringLiteral("audio/midi"), QStringLiteral("audio/x-midi"),
            QStringLiteral("audio/wav"), QStringLiteral("audio/x-wav"),
            QStringLiteral("application/zip")};
}

void TMprisRootAdaptor::Raise()
{
    service_->Raise();
}

void TMprisRootAdaptor::Quit()
{
    service_->Quit();
}
