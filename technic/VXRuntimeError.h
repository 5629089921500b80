#ifndef TECHNIC_VX_RUNTIME_ERROR_H
#define TECHNIC_VX_RUNTIME_ERROR_H

#include <exception>
#include <string>

// The framework's own exception type; it carries a message text.
class VXRuntimeError : public std::exception {
public:
    explicit VXRuntimeError(std::string message) : m_strMessage(std::move(message)) {}
    const char* what() const noexcept override { return m_strMessage.c_str(); }

private:
    std::string m_strMessage;
};

#endif
