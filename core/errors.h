#pragma once
// Every failure the program reports to the user is an error carrying a message text (UTF-8).
// Nothing catches these but the application-wide error display, where each handler starts.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not convert to a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
