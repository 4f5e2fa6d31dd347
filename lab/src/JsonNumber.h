#pragma once
// A shot number as the JSON writers give it.

#include "ShotSummary.h"

#include <nlohmann/json.hpp>

namespace quillmoor::lab {

// plainText's number as a JSON number (the double nearest that text, which
// JSON prints as the text), a yes/no answer as a boolean, null when absent.
nlohmann::ordered_json jsonNumber(const ShotField& field, const ShotRecord& record);
// plainText(value, decimals) as a JSON number.
nlohmann::ordered_json jsonNumber(double value, int decimals);

} // namespace quillmoor::lab
