#pragma once
// A folder that refuses every writer while the object lives, for the cases of a program folder
// the user cannot write. Wine checks no Windows security descriptor when a file is created,
// only what Unix allows: the folder loses its write bits and, for root, whom they do not stop,
// gains the immutable attribute (chattr +i). Both are set and lifted through /bin/sh.

#include <string>

class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& path);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // False when nothing on this system refused a write there: the test should skip.
    bool Holds() const { return holds_; }

private:
    void Lift();

    std::string path_;
    std::string unixPath_;
    bool holds_ = false;
};
