#pragma once

#include <cstdint>

// Outcome of a long operation. Callers treat SUCCESS as success, CANCELLED as a silent
// stop, and every other code as a failure whose text they fetch from the worker.
struct ResultCode
{
    enum Code : int32_t
    {
        SUCCESS = 0,
        CANCELLED = 1,
        OUT_OF_MEMORY = 2,
        FAILURE = 3,         // the worker holds the message
        EVAL_ERROR = 4,      // the calculator holds the message
        INVALID_REQUEST = 5, // the exporter holds the message
        UNKNOWN_ERROR = 6,   // the calculator holds the message
        NOT_STARTED = 7,     // the context could not run the procedure (no worker thread)
    };

    int32_t code = SUCCESS;

    constexpr ResultCode() = default;
    constexpr ResultCode(int32_t c) : code(c) {}

    constexpr bool IsSuccess() const { return code == SUCCESS; }
    friend constexpr bool operator==(ResultCode a, ResultCode b) { return a.code == b.code; }
    friend constexpr bool operator!=(ResultCode a, ResultCode b) { return a.code != b.code; }
};
