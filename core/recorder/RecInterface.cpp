#include "core/recorder/RecInterface.h"

#include "core/recorder/Recorder.h"

TCustomRecorder* CreateRecorder(int connectType)
{
    return new TRecorder(static_cast<std::uint32_t>(connectType));
}

void DestroyRecorder(TCustomRecorder* recorder)
{
    delete recorder;
}
