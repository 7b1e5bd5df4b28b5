#pragma once

#include <QString>
#include <cstdint>

// What attaching a demo image had to tell the user.
struct TImageAttachNotice {
    enum class TKind {
        None,
        MovedAside,  // the image was unusable: moved to Aside, a blank one made at Path
        NotOpened,   // Path could not be opened (or made) for writing: Reason says why
    };
    TKind Kind = TKind::None;
    QString Path;
    QString Aside;
    QString Reason;  // the system's error text

    explicit operator bool() const { return Kind != TKind::None; }
};

// Remembers the image path. With create (the demo image), makes sure a
// usable image exists: an image is judged by reading only; one whose header
// cannot be read, is invalid or describes an impossible layout is moved
// aside unchanged to the first free name of path + ".bad", ".bad.1", ...
// and a blank image is created in its place; then the block table of the
// usable image is rebuilt. Nothing is written into a file before it is
// judged usable. A usable image that cannot be opened for writing is left
// as it is.
TImageAttachNotice AttachImageFile(const QString& path, bool create);

// The header's layout fits an image of fileSize bytes: a page holds a
// block-table sector, a block has pages, and the file holds a whole block
// after the header.
bool ImageLayoutUsable(const std::uint8_t* header, std::uint64_t fileSize);

// Writes the magic, the owner field of every block and the table CRC into
// the first image block, using the geometry and header in LinkGeometry.
// The image must be open.
bool RebuildBlockTable();

// The blank image of the default geometry: header, then 64 erased blocks.
// Replaces whatever is at the path; true when it was written whole,
// otherwise reason (when given) gets the system's error text.
bool CreateBlankImage(const QString& path, QString* reason = nullptr);
