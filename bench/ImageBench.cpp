// A whole demo image read through the image link (command 76, one block of
// whole pages per command) against plain pread of the same bytes.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "core/links/LinkGeometry.h"
#include "core/links/image/DemoImage.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageProbe.h"
#include "core/protocol/RecorderCommands.h"

namespace {

// The demo image, created once in a temporary folder and probed.
const QString& DemoImage()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder");
        AttachDemoImage(folder.path());
        if (!ImageProbe())
            throw std::runtime_error("the demo image does not probe");
        return DemoImagePath(folder.path());
    }();
    return path;
}

void BM_ImageLinkWholePages(benchmark::State& state)
{
    DemoImage();
    const TLinkGeometry& g = LinkGeometry;
    std::vector<std::uint8_t> block(g.blockStride);
    std::uint8_t request[PartsOfPagesRequest::kSize];
    for (auto _ : state) {
        for (std::uint32_t b = 0; b < g.TotalBlocks(); ++b) {
            PartsOfPagesRequest{b * g.pagesPerBlock, 0, g.pageStride, 1, static_cast<std::uint16_t>(g.pagesPerBlock)}
                .Serialize(request);
            ImageExecute(cmdGetPartsOfPages, request, sizeof request, block.data(), g.blockStride, 600);
            benchmark::DoNotOptimize(block.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * g.TotalBlocks() * g.blockStride);
}
BENCHMARK(BM_ImageLinkWholePages)->Unit(benchmark::kMillisecond);

void BM_PlainPread(benchmark::State& state)
{
    const QByteArray path = DemoImage().toLocal8Bit();
    const TLinkGeometry& g = LinkGeometry;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        state.SkipWithError("cannot open the demo image");
        return;
    }
    std::vector<std::uint8_t> block(g.blockStride);
    for (auto _ : state) {
        for (std::uint32_t b = 0; b < g.TotalBlocks(); ++b) {
            const off_t at = static_cast<off_t>(g.dataStart) + static_cast<off_t>(b) * g.blockStride;
            if (::pread(fd, block.data(), block.size(), at) != static_cast<ssize_t>(block.size()))
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(block.data());
        }
    }
    ::close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * g.TotalBlocks() * g.blockStride);
}
BENCHMARK(BM_PlainPread)->Unit(benchmark::kMillisecond);

}  // namespace
