#include "audio/CrcWaveFile.h"

std::int32_t TCrcWaveFile::Write(const void* buffer, std::int32_t length)
{
    const std::int32_t count = TWaveFile::Write(buffer, length);
    // Only what reached the data chunk counts, so a refused write leaves the
    // CRC matching the file.
    if (count > 0)
        m_crc.Update(buffer, static_cast<std::uint32_t>(count));
    return count;
}
