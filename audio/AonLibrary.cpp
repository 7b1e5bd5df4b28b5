#include "audio/AonLibrary.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>

#include "core/settings/ProgramFolder.h"

namespace {

template <typename Function> bool Resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

}  // namespace

std::vector<std::string> DefaultAonLibraryNames()
{
    std::vector<std::string> names;
    // A relative program folder would be looked up from the current one.
    const QString folder = GetProgramFolder();
    if (QDir::isAbsolutePath(folder))
        names.push_back(QFile::encodeName(folder + QString::fromLatin1(aon::kLibraryName)).toStdString());
    names.emplace_back(aon::kLibraryName);
    return names;
}

TAonLibrary::TAonLibrary(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        void* handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            continue;
        TAonFunctions functions;
        if (Resolve(handle, "AonInit", functions.Init) && Resolve(handle, "AonProcess", functions.Process) &&
            Resolve(handle, "AonGetResult", functions.GetResult)) {
            m_handle = handle;
            m_functions = functions;
            return;
        }
        ::dlclose(handle);
    }
}

TAonLibrary::~TAonLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}
