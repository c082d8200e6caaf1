#include "settings/json/JsonFormat.h"

#include <cstdio>

#include "settings/json/TextCodec.h"

namespace kelm::json {

namespace {

void AppendEscape(std::string& out, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    out += text;
}

void AppendString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            // Only text made in code can get here; it is shown like a carried byte.
            AppendEscape(out, 0xEF00 + static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        switch (cp) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (cp < 0x20 || IsRawByteCodePoint(cp))
                    AppendEscape(out, static_cast<unsigned>(cp));
                else
                    out.append(text.substr(i, length));
        }
        i += length;
    }
    out += '"';
}

bool IsFlat(const Json& array) {
    for (const Json& element : array)
        if (element.is_structured()) return false;
    return true;
}

void AppendValue(std::string& out, const Json& value, int depth) {
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    const std::string closingIndent(static_cast<std::size_t>(depth) * 2, ' ');
    if (value.is_string()) {
        AppendString(out, value.get_ref<const std::string&>());
    } else if (value.is_object()) {
        if (value.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            if (!first) out += ",\n";
            first = false;
            out += indent;
            AppendString(out, key);
            out += ": ";
            AppendValue(out, member, depth + 1);
        }
        out += '\n' + closingIndent + '}';
    } else if (value.is_array()) {
        const bool flat = IsFlat(value);
        out += flat ? "[" : "[\n";
        bool first = true;
        for (const Json& element : value) {
            if (!first) out += flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            AppendValue(out, element, depth + 1);
        }
        if (!flat) out += '\n' + closingIndent;
        out += ']';
    } else {
        out += value.dump();
    }
}

}  // namespace

std::string FormatJson(const Json& value) {
    std::string out;
    AppendValue(out, value, 0);
    return out;
}

}  // namespace kelm::json
