// Invariant checks for the fuzz targets. A broken invariant aborts, which
// libFuzzer records as a crash together with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition) ((condition) ? static_cast<void>(0) : ::kelm::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace kelm::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

// A fixed-size text field that a reader can take without running past it.
template <std::size_t N>
bool Terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

// What a value reads back as once it went through a write: line breaks
// would start new lines in the file, so they are written as blanks.
inline std::string AsWritten(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace kelm::fuzz
