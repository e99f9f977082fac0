#include "platform/mci/waveaudiodriver.h"

#include "platform/mci/wavefileplayer.h"

MCIERROR TWaveAudioDriver::openElement(const QString &path, const TMciOutputFormat &format,
                                       std::unique_ptr<TMciTransport> &transport)
{
    // The player resamples to whatever rate pulls it.
    auto player = std::make_unique<TWaveFilePlayer>();
    const MCIERROR error = player->open(path, format.unpaced);
    if (error != 0) return error;
    transport = std::move(player);
    return 0;
}
