// A failure with a number and a description, as handlers log and show it.
#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

#include "log/ErrorNumbers.h"

namespace pelko {

class Error : public std::runtime_error {
public:
    Error(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    std::int32_t number() const { return number_; }

private:
    std::int32_t number_;
};

struct ErrorInfo {
    std::int32_t number = 0;
    std::string description;
};

// Runs a step whose failure is skipped silently.
template <typename Step>
void SkipOnFailure(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

// Number and description of the exception being handled; call inside a
// catch block.
ErrorInfo CurrentErrorInfo();

}  // namespace pelko
