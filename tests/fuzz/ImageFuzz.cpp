// An image file from the input: attached and probed, its header read into
// the settings, then commands 29, 78 and 76 served from it. The first 12
// bytes are the command-76 request; the rest is the file, whose header CRC
// the harness fixes so inputs get past the header check.
#include <QString>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/image/ImageAttach.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageFile.h"
#include "core/links/image/ImageHeader.h"
#include "core/links/image/ImageProbe.h"
#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"
#include "core/settings/RecorderSettingsHeader.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzReset.h"

namespace {

constexpr std::uint32_t kMaxReply = 1 << 16;

void Run(std::uint8_t code, const std::vector<std::uint8_t>& request)
{
    const PayloadGeometry geometry{LinkGeometry.pageStride, LinkGeometry.pagesPerBlock};
    const auto length =
        CommandReplyLength(code, geometry, request.data(), static_cast<std::uint32_t>(request.size()));
    if (!length || *length > kMaxReply)
        return;
    std::vector<std::uint8_t> reply(*length);
    try {
        ImageExecute(code, request.data(), static_cast<std::uint32_t>(request.size()), reply.data(), *length, 300);
    } catch (const TERecXchange&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetKeepingLanguages();
    FuzzInput input(data, size);
    const auto request76 = input.Bytes(PartsOfPagesRequest::kSize);
    const auto rest = input.Rest();
    std::vector<std::uint8_t> file(rest.begin(), rest.end());
    if (file.size() >= image_header::kSize)
        PutU16(file.data() + image_header::kCrc, ImageHeaderCrc(file.data()));
    const QString path = WriteFuzzFile(QStringLiteral("image.qdm"), file.data(), file.size());

    AttachImageFile(path, false);
    if (!ImageProbe())
        return 0;
    TRecorderSettings settings;
    SettingsFromImageHeader(LinkGeometry.header.data(), settings);
    NormaliseRecorderSettings(settings);
    {
        ImageSession session;
        if (session.IsOpen())
            RebuildBlockTable();
    }
    Run(cmdGetFlashParam, {});
    Run(cmdGetFirstRecBlock, {});
    Run(cmdGetPartsOfPages, {request76.begin(), request76.end()});
    ResetKeepingLanguages();
    return 0;
}
