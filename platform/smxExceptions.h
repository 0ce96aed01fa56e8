// Exception classes of the platform layer. The suite reports rather than raises; these carry the
// errors of the database layer (with the server's status text) and of conversions and files.
#pragma once

#include <exception>
#include <string>

namespace smx {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

/// Errors of the database layer; the text is the server's status text.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

/// A text that is not a valid number, date or other converted value.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A file that cannot be opened, read or written.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

} // namespace smx
