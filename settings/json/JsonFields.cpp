#include "settings/json/JsonFields.h"

#include <algorithm>
#include <limits>

#include "settings/json/TextCodec.h"

namespace kelm::json {

std::string JsonError::Describe() const { return field.empty() ? message : field + ": " + message; }

void FailField(std::string field, std::string message) { throw JsonError{std::move(field), std::move(message)}; }

std::string MemberPath(std::string_view parent, std::string_view name) {
    std::string path(parent);
    if (!path.empty()) path += '.';
    path += name;
    return path;
}

std::string ElementPath(std::string_view parent, std::size_t index) {
    return std::string(parent) + '[' + std::to_string(index) + ']';
}

std::string DescribeValue(const Json& value) {
    switch (value.type()) {
        case Json::value_t::string:
            return "a string";
        case Json::value_t::object:
            return "an object";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        default:
            return "the number " + value.dump();
    }
}

void ExpectObject(const Json& value, const std::string& path) {
    if (!value.is_object()) FailField(path, "expected an object, got " + DescribeValue(value));
}

void ExpectArray(const Json& value, const std::string& path) {
    if (!value.is_array()) FailField(path, "expected an array, got " + DescribeValue(value));
}

void CheckMembers(const Json& object, const std::string& path, std::span<const std::string_view> known) {
    for (const auto& [name, member] : object.items())
        if (std::find(known.begin(), known.end(), name) == known.end())
            FailField(MemberPath(path, name), "unknown field");
}

const Json* FindMember(const Json& object, std::string_view name) {
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

std::int64_t ReadInteger(const Json& value, const std::string& path, std::int64_t low, std::int64_t high,
                         std::string_view noun) {
    if (!value.is_number_integer()) FailField(path, "expected an integer, got " + DescribeValue(value));
    bool inRange = false;
    std::int64_t number = 0;
    if (value.is_number_unsigned()) {
        const auto unsignedNumber = value.get<std::uint64_t>();
        inRange = unsignedNumber <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        number = inRange ? static_cast<std::int64_t>(unsignedNumber) : 0;
    } else {
        inRange = true;
        number = value.get<std::int64_t>();
    }
    if (!inRange || number < low || number > high) {
        std::string message(noun);
        if (!message.empty()) message += ' ';
        message += value.dump() + " out of range " + std::to_string(low) + ".." + std::to_string(high);
        FailField(path, std::move(message));
    }
    return number;
}

std::string ReadText(const Json& value, const std::string& path, std::size_t maxBytes) {
    if (!value.is_string()) FailField(path, "expected a string, got " + DescribeValue(value));
    std::string bytes = JsonTextToBytes(value.get_ref<const std::string&>());
    if (bytes.find('\0') != std::string::npos) FailField(path, "text holds a NUL character (\\u0000)");
    if (bytes.size() > maxBytes)
        FailField(path, "text of " + std::to_string(bytes.size()) + " bytes is too long (at most " +
                            std::to_string(maxBytes) + ")");
    return bytes;
}

}  // namespace kelm::json
