#pragma once

#include <QString>

// Remembers the image path. With create (the demo image), makes sure a
// usable image exists: an image whose header cannot be read or is invalid
// is moved aside to path + ".bad" (replacing an older one) and a blank
// image is created in its place; then the block table is rebuilt.
void AttachImageFile(const QString& path, bool create);

// Writes the magic, the owner field of every block and the table CRC into
// the first image block, using the geometry and header in LinkGeometry.
// The image must be open.
bool RebuildBlockTable();

// The blank image of the default geometry: header, then 64 erased blocks.
// Replaces whatever is at the path; true when it was written whole.
bool CreateBlankImage(const QString& path);
