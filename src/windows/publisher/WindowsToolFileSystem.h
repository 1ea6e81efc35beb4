#pragma once
// The publisher's tool's file calls over Win32, for quillmere-publish.exe.

#include "publisher/common/ToolFileSystem.h"

class WindowsToolFileSystem final : public ToolFileSystem {
public:
    // CreateFileA(CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT) with OwnerOnlySecurity (kOwnerOnly)
    // or the folder's inherited access list (kShared); WriteFile and FlushFileBuffers through
    // that handle.
    NewFileOutcome CreateNewFile(const std::string& path, std::string_view bytes,
                                 FileAccess access) override;

    // MoveFileExA(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    void MoveOver(const std::string& from, const std::string& to) override;

    // DeleteFileA.
    void Remove(const std::string& path) noexcept override;
};
