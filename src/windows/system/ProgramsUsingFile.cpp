#include "windows/system/ProgramsUsingFile.h"

#include <windows.h>
#include <restartmanager.h>

#include <algorithm>
#include <cwchar>

#include "windows/win32/AnsiText.h"
#include "windows/win32/ScopedHandles.h"

namespace {

// The processes that hold the session's registered files; empty on any failure.
std::vector<RM_PROCESS_INFO> ProcessesHolding(const RestartManagerSession& session) {
    std::vector<RM_PROCESS_INFO> processes;
    // The list may grow between the call that sizes it and the one that fills it.
    for (int round = 0; round < 3; ++round) {
        UINT needed = 0;
        UINT count = static_cast<UINT>(processes.size());
        DWORD reasons = 0;
        const DWORD result = RmGetList(session.Get(), &needed, &count, processes.data(), &reasons);
        if (result == ERROR_SUCCESS) {
            processes.resize(std::min<std::size_t>(count, processes.size()));
            return processes;
        }
        if (result != ERROR_MORE_DATA) {
            return {};
        }
        processes.resize(needed);
    }
    return {};
}

std::string AppName(const RM_PROCESS_INFO& process) {
    const std::size_t length = wcsnlen(process.strAppName, CCH_RM_MAX_APP_NAME + 1);
    return AnsiFromWide(std::wstring_view(process.strAppName, length));
}

}  // namespace

std::string ProgramsUsingFile(const std::string& path) {
    const std::wstring file = WideFromAnsi(path);
    if (file.empty()) {
        return {};
    }
    DWORD number = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (RmStartSession(&number, 0, key) != ERROR_SUCCESS) {
        return {};
    }
    const RestartManagerSession session(number);
    LPCWSTR files[] = {file.c_str()};
    if (RmRegisterResources(session.Get(), 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::string> names;
    for (const RM_PROCESS_INFO& process : ProcessesHolding(session)) {
        names.push_back(AppName(process));
    }
    return JoinProgramNames(names);
}

std::string JoinProgramNames(const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (const std::string& name : names) {
        if (!name.empty() && std::find(kept.begin(), kept.end(), name) == kept.end()) {
            kept.push_back(name);
        }
    }
    std::string joined;
    for (std::size_t index = 0; index < kept.size(); ++index) {
        if (index > 0) {
            joined += index + 1 == kept.size() ? " and " : ", ";
        }
        joined += kept[index];
    }
    return joined;
}
