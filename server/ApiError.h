#pragma once

#include <stdexcept>
#include <string>

namespace family {

// A refusal with its HTTP status and the Russian text the app shows to the user.
class ApiError : public std::runtime_error {
public:
    ApiError(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

}  // namespace family
