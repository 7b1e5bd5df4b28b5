#include "core/flash/SoundFileList.h"

int TCustomSoundFileList::IndexOfNumber(std::uint16_t number) const
{
    return IndexWhere([number](const TSoundFileInfo& info) { return info.Number == number; });
}
