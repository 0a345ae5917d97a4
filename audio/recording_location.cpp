#include "recording_location.h"

#include <system_error>

std::string LocateRecording(const std::string& name, const std::filesystem::path& executableDir)
{
    std::error_code error;
    const std::filesystem::path path(name);
    if (path.has_parent_path() || name.empty() || std::filesystem::exists(path, error))
        return name;
    const std::filesystem::path installed = executableDir / SONAFEL_DATA_FROM_BINDIR / path;
    return std::filesystem::is_regular_file(installed, error) ? installed.string() : name;
}

std::string LocateRecording(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? name : LocateRecording(name, executable.parent_path());
}
