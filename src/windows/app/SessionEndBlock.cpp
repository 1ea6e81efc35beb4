#include "windows/app/SessionEndBlock.h"

#include "windows/win32/AnsiText.h"

SessionEndBlock::SessionEndBlock(HWND window, const std::string& reason) : window_(window) {
    // The block reason exists only as a wide string.
    registered_ = ShutdownBlockReasonCreate(window_, WideFromAnsi(reason).c_str()) != FALSE;
}

SessionEndBlock::~SessionEndBlock() {
    if (registered_) {
        ShutdownBlockReasonDestroy(window_);
    }
}
