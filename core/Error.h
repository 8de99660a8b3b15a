#pragma once

#include <stdexcept>
#include <string>

namespace tmt {

// The one error type of the program. Whatever is raised with it ends the current event handler
// and reaches the user through the error report, with its message as the text.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace tmt
