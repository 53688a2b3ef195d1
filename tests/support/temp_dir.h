#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test. path() ends in the separator, like the program's working folder.

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

} // namespace wattorio::test
