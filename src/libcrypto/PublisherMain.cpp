// quillmere-publish on Linux: the publisher's commands over OpenSSL's libcrypto.

#include <iostream>

#include "libcrypto/OpenSslCrypto.h"
#include "publisher/PublisherTool.h"

int main(int argc, char** argv) {
    OpenSslCrypto crypto;
    PosixClock clock;
    return RunPublisherTool(std::vector<std::string>(argv + 1, argv + argc), crypto, crypto, clock,
                            std::cout, std::cerr);
}
