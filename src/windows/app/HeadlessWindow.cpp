#include "windows/app/HeadlessWindow.h"

#include "windows/app/EventPump.h"

void HeadlessWindow::ProcessPendingEvents() {
    ::ProcessPendingEvents(nullptr);
}
