// TFat12Image::Fat12AddFile: files and folders of the PC into the image.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>

#include "fmttool/Fat12Image.h"

namespace fs = std::filesystem;

namespace {

// The folder a link names is never entered: it could hold the link itself,
// or lie outside the folder being added.
bool IsLinkToFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error)) && fs::is_directory(fs::status(path, error));
}

}  // namespace

TFat12Result TFat12Image::Fat12AddFile(const std::string& path, const fs::path& folder)
{
    if (!m_file)
        return fat12NotFound;
    const fs::path relative = fs::path(path).lexically_normal();
    if (path.empty() || relative.empty() || relative.is_absolute() || relative == ".")
        return fat12EmptyPath;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(folder / relative, error)))
        return fat12EmptyPath;

    std::string imagePath;
    fs::path pcFolder = folder;
    for (const fs::path& part : relative) {
        const std::string name = part.string();
        if (name == "..")
            return fat12EmptyPath;
        if (name.empty() || name == ".")
            continue;
        imagePath += (imagePath.empty() ? "" : "\\") + m_shortNames.ShortName(pcFolder, name);
        pcFolder /= part;
    }
    return AddPcEntry(folder / relative, imagePath);
}

TFat12Result TFat12Image::AddPcEntry(const fs::path& pcPath, const std::string& imagePath)
{
    std::error_code error;
    if (IsLinkToFolder(pcPath))
        return fat12Ok;
    const fs::file_status status = fs::status(pcPath, error);
    if (fs::is_regular_file(status))
        return AddPcFile(pcPath, imagePath);
    if (!fs::is_directory(status))
        return fat12Ok;  // sockets, pipes, devices, dangling links

    if (const TFat12Result made = MakeDirectories(imagePath); made != fat12Ok)
        return made;
    std::vector<std::string> names;
    for (fs::directory_iterator it(pcPath, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    if (error)
        return fat12NotFound;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string child = imagePath + "\\" + m_shortNames.ShortName(pcPath, name);
        if (const TFat12Result result = AddPcEntry(pcPath / name, child); result != fat12Ok)
            return result;
    }
    return fat12Ok;
}

TFat12Result TFat12Image::MakeDirectories(const std::string& imagePath)
{
    std::string directory;
    for (std::size_t from = 0; from < imagePath.size();) {
        const std::size_t to = std::min(imagePath.find('\\', from), imagePath.size());
        if (to > from) {
            const std::string name = imagePath.substr(from, to - from);
            const TFat12Result made = Fat12MakeDirectory(directory, name);
            if (made != fat12Ok && made != fat12Exists)
                return made;
            directory += "\\" + name;
        }
        from = to + 1;
    }
    return fat12Ok;
}

TFat12Result TFat12Image::AddPcFile(const fs::path& pcPath, const std::string& imagePath)
{
    const std::size_t slash = imagePath.rfind('\\');
    const std::string directory = slash == std::string::npos ? std::string() : imagePath.substr(0, slash);
    const std::string shortName = imagePath.substr(slash == std::string::npos ? 0 : slash + 1);
    if (!directory.empty())
        if (const TFat12Result made = MakeDirectories(directory); made != fat12Ok)
            return made;

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> source(std::fopen(pcPath.c_str(), "rb"), &std::fclose);
    if (!source)
        return fat12NotFound;
    // The long name is the PC name; the path above it lives in the directories.
    if (const TFat12Result created = Fat12CreateEntry(directory, shortName, pcPath.filename().string());
        created != fat12Ok)
        return created;
    TFat12File file;
    if (Fat12OpenFile(imagePath, file) != fat12Ok) {
        Fat12DeleteEntry(imagePath);
        return fat12CannotCreate;
    }

    std::uint8_t piece[512];
    TFat12Result result = fat12Ok;
    for (std::size_t got; result == fat12Ok && (got = std::fread(piece, 1, sizeof piece, source.get())) > 0;)
        result = Fat12WriteFile(piece, 1, got, file);
    if (result == fat12Ok && std::ferror(source.get()))
        result = fat12NotFound;
    if (result == fat12DiskFull)
        std::fputs("Not enough free space...\n", stdout);
    const TFat12Result closed = Fat12CloseFile(file);
    return result != fat12Ok ? result : closed;
}
