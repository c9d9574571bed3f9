// Choosing the audio source the command line names.
#include "standin/source.h"

#include "standin/options.h"

#include <string.h>

int openAudioSource(const Options* options, AudioSource* source, char* reason, size_t reasonSize)
{
    if (options->raw)
        return openRawStream((int)options->rawRate, (int)options->rawChannels, options->rawFormat,
                             source, reason, reasonSize);
    if (options->audioPath)
        return openWavSource(options->audioPath, source, reason, reasonSize);
    openBuiltinSignal(source);
    return 1;
}

void closeAudioSource(AudioSource* source)
{
    if (source->close)
        source->close(source);
    memset(source, 0, sizeof(*source));
}
