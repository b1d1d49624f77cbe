// The care layer's five fields as one table: names (as options and in
// scenario files), labels, units, formats and ranges. They are read and
// checked as a dialog's fields are (read_field_text), so every reader of
// them takes and refuses the same texts.
#pragma once

#include <span>
#include <string_view>

#include "model/records.h"
#include "shell/dialogs.h"

namespace morbilex {

struct CareField {
    FieldSpec dialog_field;  // name, label, format, range; stored in Records::care
    const char* unit;        // "fraction" or "days"
    const char* meaning;     // one line of help
};

// hospital_fraction, hospital_stay, icu_fraction, icu_stay, fatality_ratio.
std::span<const CareField> care_fields();

// The care field with this name, or nullptr.
const CareField* find_care_field(std::string_view name);

// What a refusal of a care field means: a dialog's words, but for a share
// outside 0 to 1, which is not a reduction here.
const char* care_refusal_text(RefusalReason reason);

// The name of the line that turns the care layer on or off in scenario files.
inline constexpr const char* CARE_SWITCH_NAME = "care";

}  // namespace morbilex
