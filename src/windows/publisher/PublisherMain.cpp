// quillmere-publish.exe: the publisher's commands over CNG and Win32 files, and simulate over the
// updater's Windows side.

#include <iostream>

#include "windows/crypto/CngCrypto.h"
#include "windows/publisher/Simulation.h"
#include "windows/publisher/WindowsToolFileSystem.h"
#include "windows/system/DllSearch.h"
#include "windows/system/WindowsClock.h"
#include "publisher/PublisherTool.h"

int main(int argc, char** argv) {
    RestrictDllSearchToSystem32();
    try {
        CngCrypto crypto;
        CngSigner signer;
        WindowsClock clock;
        WindowsToolFileSystem files;
        return RunPublisherTool(std::vector<std::string>(argv + 1, argv + argc), crypto, signer,
                                clock, files, std::cout, std::cerr, RunSimulation);
    } catch (const std::exception& error) {
        std::cerr << "quillmere-publish: the system's cryptography is unavailable: " << error.what()
                  << "\n";
        return kExitRefused;
    }
}
