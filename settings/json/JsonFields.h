// Reading JSON input field by field with checks. Every failure names its
// field by the path the input spells it with, such as
// "Keys[3].Events[7][2]", and says what was wrong.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/json/Json.h"

namespace kelm::json {

struct JsonError {
    std::string field;  // empty for the document itself
    std::string message;

    // "field: message", or the message alone.
    std::string Describe() const;
};

// The readers below throw JsonError; the conversions built on them catch it
// at their entry point, so it never travels further.
[[noreturn]] void FailField(std::string field, std::string message);

std::string MemberPath(std::string_view parent, std::string_view name);
std::string ElementPath(std::string_view parent, std::size_t index);

// "a string", "an array", "the number 1.5", ... for messages.
std::string DescribeValue(const Json& value);

void ExpectObject(const Json& value, const std::string& path);
void ExpectArray(const Json& value, const std::string& path);
// A member whose name is not in known is an error: a misspelt name must not
// quietly leave its field at the default.
void CheckMembers(const Json& object, const std::string& path, std::span<const std::string_view> known);
const Json* FindMember(const Json& object, std::string_view name);

// An integer in low..high; noun, when given, leads the range message
// ("delay 70000 out of range 0..65535").
std::int64_t ReadInteger(const Json& value, const std::string& path, std::int64_t low, std::int64_t high,
                         std::string_view noun = {});
// A string as the 8-bit bytes a record field stores (TextCodec.h): at most
// maxBytes of them and no NUL, which would end the stored text early.
std::string ReadText(const Json& value, const std::string& path, std::size_t maxBytes);

}  // namespace kelm::json
