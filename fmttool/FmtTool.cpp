#include "fmttool/FmtTool.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "fmttool/FmtToolRun.h"
#include "fmttool/MountedDisk.h"
#include "fmttool/PassThrough.h"

namespace {

// Between two tries to find the device: every try scans every SCSI device.
constexpr std::chrono::milliseconds kPollPause{250};

std::string IdText(const FlashParams& params)
{
    std::string id;
    for (const std::uint8_t byte : params.flashId) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%X", byte);
        id += digits;
    }
    return id;
}

}  // namespace

int FmtToolMain(const std::vector<std::string>& args, TFmtConsole& console, const TFmtToolSystem& system)
{
    return TFmtToolRun(ParseFmtArguments(args), console, system).Run();
}

TFmtToolRun::TFmtToolRun(const TFmtArguments& args, TFmtConsole& console, const TFmtToolSystem& system)
    : m_args(args), m_console(console), m_system(system), m_imageFiles(system.workFolder / "ImageFiles")
{
}

int TFmtToolRun::Run()
{
    Print("Sorv-mini Q3 formating tool\n\n");
    if (m_args.mode == TFmtArguments::Mode::Multiple)
        return RunMultiple();

    std::optional<std::string> path;
    std::optional<std::string> digits;
    if (m_args.mode == TFmtArguments::Mode::Device) {
        digits = SgNodeDigits(m_args.devicePath);
        if (!digits) {
            Print("Error: \"%s\" is not a SCSI generic device (/dev/sg<N>).\n", m_args.devicePath.c_str());
            return End(kFmtExitFailed);
        }
        path = m_args.devicePath;
    }
    m_image = m_system.workFolder / FmtImageName(digits);
    if (!Connect(path))
        return End(kFmtExitFailed);

    const FlashParams params = passthrough::Q71_GetFlashParams();
    const std::uint32_t sectorSize = passthrough::Q71_GetSectorSize();
    Print("FC: %d; ID: %s; PS: %d; PPB: %d; BPF: %d; SECT_SIZE: %d\n\n", params.chips, IdText(params).c_str(),
          params.pageSize, params.pagesPerBlock, params.blocksPerChip, static_cast<int>(sectorSize));
    std::string why;
    const std::optional<TFmtGeometry> geometry = FmtGeometryOf(params, sectorSize, why);
    if (!geometry) {
        Print("Error: Flash geometry not supported: %s.\n", why.c_str());
        return End(kFmtExitFailed);
    }
    m_geometry = *geometry;
    m_badBlocks.assign(m_geometry.blocks, 0);
    if (!NotMounted(*path))
        return End(kFmtExitFailed);

    if (m_args.Confirms()) {
        Print("Press 'Y' to load software into device or other key to exit.\n");
        const int key = m_console.ReadKey();
        if (key != 'y' && key != 'Y')
            return kFmtExitOk;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(m_imageFiles, error)) {
        Print("Error: Folder \"ImageFiles\" not found.\n");
        return End(kFmtExitFailed);
    }
    if (!BuildImage())
        return End(kFmtExitFailed);
    bool good = Load();
    if (m_args.mode == TFmtArguments::Mode::ReadBack)
        good = ReadBack() && good;
    else
        std::filesystem::remove(m_image, error);
    return End(good ? kFmtExitOk : kFmtExitFailed);
}

int TFmtToolRun::RunMultiple()
{
    const std::vector<std::string> devices = passthrough::Q71_GetDevices();
    TProcessLauncher processes;
    TFmtLauncher& launcher = m_system.launcher ? *m_system.launcher : processes;
    Print("Found %d device(s)\n", static_cast<int>(devices.size()));
    bool good = !devices.empty();
    for (const std::string& device : devices) {
        Print("%s\n", device.c_str());
        const std::string image = FmtImageName(SgNodeDigits(device));
        const std::filesystem::path log = m_system.workFolder / (image.substr(0, image.rfind('.')) + ".log");
        std::string error;
        if (!launcher.Start(device, log, error)) {
            Print("Error: Cannot start a copy for %s: %s\n", device.c_str(), error.c_str());
            good = false;
        }
    }
    Print("\n");
    for (const TFmtLauncher::TCopy& copy : launcher.WaitAll()) {
        if (copy.exitCode == kFmtExitOk) {
            Print("%s: done (see %s)\n", copy.devicePath.c_str(), copy.log.filename().c_str());
        } else {
            Print("%s: FAILED (see %s)\n", copy.devicePath.c_str(), copy.log.filename().c_str());
            good = false;
        }
    }
    return End(good ? kFmtExitOk : kFmtExitFailed);
}

bool TFmtToolRun::Connect(std::optional<std::string>& path)
{
    if (passthrough::Q71_IsConnected(path))
        return true;
    Print("Device is not connected.\nConnect device to continue or press Esc to exit.\n");
    if (m_console.HasKeyboard()) {
        auto lastTry = std::chrono::steady_clock::now();
        for (;;) {
            const int key = m_console.ReadKey(kPollPause);
            if (key == TFmtConsole::kEscape)
                break;
            // Other keys are ignored, and do not hurry the next try.
            if (key != TFmtConsole::kNoKey && std::chrono::steady_clock::now() - lastTry < kPollPause)
                continue;
            lastTry = std::chrono::steady_clock::now();
            if (passthrough::Q71_IsConnected(path))
                return true;
        }
    }
    return passthrough::Q71_IsConnected(path);
}

bool TFmtToolRun::NotMounted(const std::string& path)
{
    std::ifstream table(m_system.mountTable);
    const std::string text{std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()};
    const std::vector<std::string> points = MountPointsOf(SgDiskNames(path, m_system.sysRoot), text);
    if (points.empty())
        return true;
    Print("Error: The device's disk is mounted at %s. Unmount it and try again.\n", points.front().c_str());
    return false;
}

int TFmtToolRun::End(int code)
{
    Print("Press any key to exit.\n");
    m_console.ReadKey();
    return code;
}

void TFmtToolRun::Print(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, again);
        text.pop_back();
        m_console.Write(text);
    }
    va_end(again);
}

void TFmtToolRun::PrintLastError()
{
    Print("Error message: ");
    m_console.Write(passthrough::LastFailure().Describe());
    m_console.Write("\n");
}

void TFmtToolRun::PrintSystemError(int error)
{
    m_console.Write(std::strerror(error));
    m_console.Write("\n");
}
