#include "windows/app/SessionEndBlock.h"

namespace {

// `text` in UTF-16, from the ANSI code page: the block reason exists only as a wide string.
std::wstring WideFromAnsi(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

SessionEndBlock::SessionEndBlock(HWND window, const std::string& reason) : window_(window) {
    registered_ = ShutdownBlockReasonCreate(window_, WideFromAnsi(reason).c_str()) != FALSE;
}

SessionEndBlock::~SessionEndBlock() {
    if (registered_) {
        ShutdownBlockReasonDestroy(window_);
    }
}
