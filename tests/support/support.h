// Small fixtures shared by the tests.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for a scope (nullopt unsets it).
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// The source tree (for db/schema.sql and other fixtures).
std::filesystem::path SourceDir();

// The number of the vb::Error the call raises; 0 when it raises none.
long ErrorNumberOf(const std::function<void()>& call);
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);

}  // namespace testsupport
