#include "suite/CopyDataText.h"

#include <cstring>

namespace kelm {

std::optional<std::string> DisplayTextFromCopyData(const WindowMessage& message) {
    if (message.kind != MessageKind::CopyData || message.data.size() != kDisplayTextBlockSize) return std::nullopt;
    const std::string_view text = std::string_view(message.data).substr(1);
    return std::string(text.substr(0, text.find('\0')));
}

}  // namespace kelm
