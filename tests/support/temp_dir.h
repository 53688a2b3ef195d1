#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test. path() ends in the separator, like the program's working folder.

#include <filesystem>
#include <string>

namespace wattorio::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

// Bytes of a file anywhere (empty when missing).
std::string readAll(const std::string& path);

#ifdef WATTORIO_SOURCE_DIR
// Copies the shipped demo folder (three sites, the registry, the sample user menus, the tariff
// files of 料金表) into `dir`.
inline void copyDemoFolder(const TempDir& dir) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(fs::path(WATTORIO_SOURCE_DIR) / "examples" / "demo"))
        fs::copy(entry.path(), fs::path(dir.path()) / entry.path().filename(), fs::copy_options::recursive);
}
#endif

} // namespace wattorio::test
