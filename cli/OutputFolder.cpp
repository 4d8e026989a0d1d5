#include "cli/OutputFolder.h"

#include "support/PathUtils.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool writableFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool checkFolder(const fs::path& folder, bool& exists, TUsageError& error) {
    std::error_code ec;
    exists = fs::exists(folder, ec);
    if (exists) {
        if (!fs::is_directory(folder, ec)) {
            error.Message = "output folder is not a folder: " + folder.string();
            return false;
        }
        if (!writableFolder(folder)) {
            error.Message = "output folder is not writable: " + folder.string();
            return false;
        }
        return true;
    }
    fs::path parent = folder.parent_path();
    while (!parent.empty() && !fs::exists(parent, ec) && parent != parent.root_path())
        parent = parent.parent_path();
    if (!writableFolder(parent)) {
        error.Message = "output folder cannot be created: " + folder.string();
        return false;
    }
    return true;
}

} // namespace

std::optional<TOutputFolder> CheckOutputFolder(const std::string& dir, TUsageError& error) {
    std::error_code ec;
    const fs::path folder = fs::absolute(dir.empty() ? fs::path(".") : fs::path(dir), ec).lexically_normal();
    TOutputFolder result;
    if (ec || !checkFolder(folder, result.Exists, error)) {
        if (error.Message.empty())
            error.Message = "output folder cannot be used: " + dir;
        return std::nullopt;
    }
    result.Path = WithTrailingBackslash(folder.string());
    return result;
}

bool MakeOutputFolder(const TOutputFolder& folder, TUsageError& error) {
    if (folder.Exists)
        return true;
    std::error_code ec;
    fs::create_directories(folder.Path, ec);
    if (ec) {
        error.Message = "output folder cannot be created: " + folder.Path + ": " + ec.message();
        return false;
    }
    return true;
}
