// The JSON type of kelmctl: objects keep their members in the order they
// were added, so the output follows the record's field order.
#pragma once

#include <nlohmann/json.hpp>

namespace kelm::json {

using Json = nlohmann::ordered_json;

}  // namespace kelm::json
