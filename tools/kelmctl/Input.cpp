#include "tools/kelmctl/Input.h"

#include <istream>
#include <iterator>

#include "platform/FileIo.h"

namespace kelm::ctl {

namespace {

// Drops nlohmann's "[json.exception.parse_error.101] " tag.
std::string ParseErrorText(const char* what) {
    std::string text(what);
    const std::size_t tagEnd = text.find("] ");
    if (text.rfind("[json.exception.", 0) == 0 && tagEnd != std::string::npos) text.erase(0, tagEnd + 2);
    return text;
}

}  // namespace

std::optional<std::string> ReadInput(CommandIo& io, const std::string& path) {
    if (path == "-") {
        std::string text(std::istreambuf_iterator<char>(io.in), std::istreambuf_iterator<char>{});
        if (io.in.bad()) {
            ReportError(io, kExitFailure, "cannot read standard input");
            return std::nullopt;
        }
        return text;
    }
    FileContents file = ReadWholeFile(path);
    if (file.status != ReadStatus::Ok) {
        ReportError(io, kExitFailure,
                    path + (file.status == ReadStatus::Missing ? ": no such file" : ": cannot read the file"));
        return std::nullopt;
    }
    return std::move(file.bytes);
}

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : path; }

std::optional<json::Json> ReadJsonInput(CommandIo& io, const std::string& path, int& failureStatus) {
    const std::optional<std::string> text = ReadInput(io, path);
    failureStatus = kExitFailure;
    if (!text) return std::nullopt;
    try {
        return json::Json::parse(*text);
    } catch (const json::Json::parse_error& error) {
        failureStatus =
            ReportError(io, kExitUsage, InputName(path) + ": invalid JSON: " + ParseErrorText(error.what()));
        return std::nullopt;
    }
}

}  // namespace kelm::ctl
