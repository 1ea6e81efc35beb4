// quillmere-publish on Linux: the publisher's commands over OpenSSL's libcrypto and POSIX files.

#include <iostream>

#include "posix/crypto/OpenSslCrypto.h"
#include "posix/publisher/PosixToolFileSystem.h"
#include "publisher/PublisherTool.h"

int main(int argc, char** argv) {
    OpenSslCrypto crypto;
    PosixClock clock;
    PosixToolFileSystem files;
    return RunPublisherTool(std::vector<std::string>(argv + 1, argv + argc), crypto, crypto, clock,
                            files, std::cout, std::cerr);
}
