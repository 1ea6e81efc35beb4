#pragma once
// A script line that cannot go on. The failure trap turns it into the command error report,
// with what() as the failure's description.

#include <stdexcept>

class ScriptFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
