#include "audio/RiffFile.h"

#include <QtEndian>

#include <cerrno>

#include <limits>

namespace {

bool HasFormType(std::uint32_t id)
{
    return id == kRiffId || id == kListId;
}

std::int64_t PaddedEnd(std::int64_t dataOffset, std::uint32_t size)
{
    return dataOffset + size + (size & 1u);
}

}  // namespace

bool TRiffFile::Open(const QString& name)
{
    if (IsOpen())
        return false;
    m_file.setFileName(name);
    m_writing = false;
    return m_file.open(QIODevice::ReadOnly);
}

bool TRiffFile::Create(const QString& name)
{
    if (IsOpen())
        return false;
    m_error.clear();
    m_failed = false;
    m_sealed.reset();
    auto staged = std::make_unique<TStagedFile>(name);
    try {
        staged->Create();
    } catch (const EFileWriteError& error) {
        m_error = error.Text();
        errno = error.Error();
        return false;
    }
    m_staged = std::move(staged);
    m_writing = true;
    return true;
}

void TRiffFile::Failed(const EFileWriteError& error)
{
    if (!m_failed)
        m_error = error.Text();
    m_failed = true;
}

bool TRiffFile::Close()
{
    if (!IsOpen())
        return false;
    if (!m_writing) {
        m_file.close();
        m_file.unsetError();
        return true;
    }
    m_writing = false;
    std::unique_ptr<TStagedFile> staged = std::move(m_staged);
    if (m_failed)
        return false;
    try {
        if (m_holdPublish) {
            staged->Seal();
            m_sealed = std::move(staged);
        } else {
            m_written = staged->Publish();
        }
    } catch (const EFileWriteError& error) {
        Failed(error);
        return false;
    }
    return true;
}

void TRiffFile::Abort()
{
    if (m_writing) {
        m_staged.reset();
        m_writing = false;
    } else if (m_file.isOpen()) {
        m_file.close();
    }
}

std::int32_t TRiffFile::Read(void* buffer, std::int32_t length)
{
    if (!m_file.isOpen() || length < 0)
        return -1;
    return static_cast<std::int32_t>(m_file.read(static_cast<char*>(buffer), length));
}

std::int32_t TRiffFile::Write(const void* buffer, std::int32_t length)
{
    if (!m_staged || m_failed || length < 0)
        return -1;
    try {
        m_staged->Write(buffer, static_cast<std::size_t>(length));
    } catch (const EFileWriteError& error) {
        Failed(error);
        return -1;
    }
    return length;
}

bool TRiffFile::Seek(std::int64_t offset)
{
    if (offset < 0)
        return false;
    if (m_staged) {
        if (static_cast<std::uint64_t>(offset) > m_staged->Size())
            return false;
        m_staged->Seek(static_cast<std::uint64_t>(offset));
        return true;
    }
    return m_file.isOpen() && m_file.seek(offset);
}

std::int64_t TRiffFile::Position() const
{
    if (m_staged)
        return static_cast<std::int64_t>(m_staged->Position());
    return m_file.pos();
}

std::int64_t TRiffFile::FileSize() const
{
    if (m_staged)
        return static_cast<std::int64_t>(m_staged->Size());
    return m_file.size();
}

bool TRiffFile::WriteU32(std::uint32_t value)
{
    const std::uint32_t le = qToLittleEndian(value);
    return Write(&le, 4) == 4;
}

bool TRiffFile::Descend(TRiffChunk& chunk, const TRiffChunk* parent, TFind find)
{
    if (!IsOpen())
        return false;
    const std::int64_t fileEnd = m_file.size();
    const std::int64_t end = parent ? std::min(parent->DataOffset + parent->Size, fileEnd) : fileEnd;
    const std::uint32_t wantedId = find == TFind::Riff ? kRiffId : chunk.Id;
    std::int64_t at = Position();
    while (at + 8 <= end) {
        if (!Seek(at))
            return false;
        std::uint32_t header[2];
        if (Read(header, 8) != 8)
            return false;
        TRiffChunk found;
        found.Id = qFromLittleEndian(header[0]);
        found.Size = qFromLittleEndian(header[1]);
        found.DataOffset = at + 8;
        if (HasFormType(found.Id)) {
            if (found.Size < 4 || found.DataOffset + 4 > end)
                return false;
            std::uint32_t form;
            if (Read(&form, 4) != 4)
                return false;
            found.FormType = qFromLittleEndian(form);
        }
        if (found.Id == wantedId && (find == TFind::Chunk || found.FormType == chunk.FormType)) {
            if (found.DataOffset + found.Size > end)
                return false;
            chunk = found;
            return true;
        }
        at = PaddedEnd(found.DataOffset, found.Size);
    }
    return false;
}

bool TRiffFile::Ascend(TRiffChunk& chunk)
{
    if (!IsOpen())
        return false;
    if (chunk.Created) {
        const std::int64_t size = Position() - chunk.DataOffset;
        if (size < 0 || size > std::numeric_limits<std::uint32_t>::max())
            return false;
        if (static_cast<std::uint32_t>(size) != chunk.Size) {
            chunk.Size = static_cast<std::uint32_t>(size);
            if (!Seek(chunk.DataOffset - 4) || !WriteU32(chunk.Size) || !Seek(chunk.DataOffset + size))
                return false;
        }
        if (chunk.Size & 1u) {
            const char pad = 0;
            if (Write(&pad, 1) != 1)
                return false;
        }
        chunk.Created = false;
    }
    return Seek(PaddedEnd(chunk.DataOffset, chunk.Size));
}

bool TRiffFile::CreateChunk(TRiffChunk& chunk, bool riff)
{
    if (!IsOpen() || !m_writing)
        return false;
    const std::int64_t at = Position();
    if (!WriteU32(riff ? kRiffId : chunk.Id) || !WriteU32(chunk.Size))
        return false;
    if (riff) {
        chunk.Id = kRiffId;
        if (!WriteU32(chunk.FormType))
            return false;
    }
    chunk.DataOffset = at + 8;
    chunk.Created = true;
    return true;
}
