#include "platform/mci/cdaudiodriver.h"

#include "platform/mci/cdaudioplayer.h"
#include "platform/mci/cddiscreader.h"

MCIERROR TCdAudioDriver::openElement(const QString &path, const TMciOutputFormat &format,
                                     std::unique_ptr<TMciTransport> &transport)
{
    (void)path;
    (void)format;
    (void)transport;
    return MCIERR_NO_ELEMENT_ALLOWED;
}

MCIERROR TCdAudioDriver::openDevice(const TMciOutputFormat &format,
                                    std::unique_ptr<TMciTransport> &transport)
{
    auto player =
        std::make_unique<TCdAudioPlayer>(TCdDiscReader::sourceFromEnvironment(), format.sampleRate);
    transport = std::move(player);
    return 0;
}
