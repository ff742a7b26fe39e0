#include "log/Error.h"

namespace pelko {

ErrorInfo CurrentErrorInfo() {
    try {
        throw;
    } catch (const Error& e) {
        return {e.number(), e.what()};
    } catch (const std::exception& e) {
        return {kErrUnexpected, e.what()};
    } catch (...) {
        return {kErrUnexpected, "Unknown failure"};
    }
}

}  // namespace pelko
