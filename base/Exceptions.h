// The general exception classes that the engine raises outside its own
// archive errors, and the GUI layer too: list, class-registry and stream
// failures. Every one carries only its message text.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EListError : public Exception {
    using Exception::Exception;
};

class EClassNotFound : public Exception {
    using Exception::Exception;
};

class EStreamError : public Exception {
    using Exception::Exception;
};

class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
