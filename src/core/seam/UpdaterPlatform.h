#pragma once
// What the updater's logic needs from the operating system, one role per interface. The Windows
// side implements each over Win32; the unit tests use in-memory fakes.

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/Downloader.h"
#include "core/seam/FileSystem.h"
#include "core/seam/ProgramHome.h"
#include "core/seam/ProgramLauncher.h"

struct UpdaterPlatform {
    ProgramHome& home;
    FileSystem& files;
    ProgramLauncher& launcher;
    Downloader& downloader;
    Crypto& crypto;
    Clock& clock;
};
