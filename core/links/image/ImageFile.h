#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

// File access of the image link. The image named by LinkGeometry.imagePath
// is opened write-through for each command, header access or probe and
// closed after it, so it is never held open between commands.

// Opens the image (read and write, write-through) unless it is open.
// True when it is open. A file at the path other than the one first
// opened since the attach (device and inode) is not opened: the image was
// replaced, which counts as a disconnect (ImageReplaced).
bool OpenImage();
// Forgets the file first opened: the next open takes whatever file is at
// the path (a new attach).
void ForgetImageIdentity();
// The probe's part: true once after a replacement was seen, and the next
// open then takes the new file.
bool TakeImageReplaced();
// The recorder object's part: true once after a replacement was seen, with
// the image's path, to tell the user.
bool TakeImageReplacedNotice(QString& path);
void CloseImage();

// Reads the header sector into LinkGeometry.header (a short read leaves the
// buffer as it was); true when the file could be read and the CRC matches.
bool ReadImageHeader();
// Sets the write mark and the CRC and writes the header sector; true when
// all 512 bytes were written.
bool WriteImageHeader();

// Positional access on the open image. ReadImageAt returns the bytes read
// (fewer at the end of the file); WriteImageAt true when all were written.
std::size_t ReadImageAt(std::uint64_t offset, void* buffer, std::size_t length);
bool WriteImageAt(std::uint64_t offset, const void* buffer, std::size_t length);
std::optional<std::uint64_t> ImageFileSize();

// Opens the image for one piece of work and closes it at the end.
class ImageSession {
public:
    ImageSession() : m_open(OpenImage()) {}
    ~ImageSession() { CloseImage(); }
    ImageSession(const ImageSession&) = delete;
    ImageSession& operator=(const ImageSession&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};
