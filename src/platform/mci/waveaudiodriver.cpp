#include "platform/mci/waveaudiodriver.h"

#include "platform/mci/wavefileplayer.h"

MCIERROR TWaveAudioDriver::openElement(const QString &path, int sampleRate,
                                       std::unique_ptr<TMciTransport> &transport)
{
    (void)sampleRate; // the player resamples to whatever rate pulls it
    auto player = std::make_unique<TWaveFilePlayer>();
    const MCIERROR error = player->open(path);
    if (error != 0) return error;
    transport = std::move(player);
    return 0;
}
