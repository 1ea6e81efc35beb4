// Only a 2xx reply is saved: a 403 or 500 carries the server's error page, which must never
// stand in for a program file or be run as a script.

#include "core/net/HttpStatus.h"

StatusMeaning MeaningOfStatus(const std::string& status) {
    if (status.size() != 3 || status.find_first_not_of("0123456789") != std::string::npos) {
        return StatusMeaning::Failure;
    }
    if (status[0] == '2') {
        return StatusMeaning::Success;
    }
    for (const char* redirect : {"301", "302", "303", "307", "308"}) {
        if (status == redirect) {
            return StatusMeaning::Redirect;
        }
    }
    return StatusMeaning::Failure;
}
