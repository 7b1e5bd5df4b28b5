#pragma once

#include "audio/WaveFile.h"
#include "core/protocol/Crc32.h"

// A wave file that keeps a running CRC-32 of everything written into its
// data chunk. The register is not reset by Create: whoever starts a file
// over (one part of a split download) calls ResetCrc.
class TCrcWaveFile : public TWaveFile {
public:
    using TWaveFile::TWaveFile;

    std::int32_t Write(const void* buffer, std::int32_t length) override;

    std::uint32_t GetCrc() const { return m_crc.Register(); }
    void ResetCrc() { m_crc.Reset(); }

private:
    TCrc32 m_crc;
};
