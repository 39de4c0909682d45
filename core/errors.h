#pragma once
// Every failure the program reports to the user is an error carrying a message text (UTF-8).
// Nothing catches these but the application-wide error display, where each handler starts.
#include <stdexcept>
#include <string>
#include <utility>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not convert to a number. Besides the message it keeps the text refused and,
// once whoever read the text says so, the field that held it, so that a form can put the
// message by that field without reading the message.
class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& message, std::string value = {})
        : Exception(message), value_(std::move(value)) {}

    const std::string& Value() const { return value_; }
    // The window's name of the field ("u3h", "AnsLow"); empty where no field is known.
    const std::string& Field() const { return field_; }
    void SetField(std::string field) { field_ = std::move(field); }

private:
    std::string value_;
    std::string field_;
};
