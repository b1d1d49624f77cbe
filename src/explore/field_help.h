// What each dialog field means and in which unit, for the dialogs' and the
// sliders' tooltips.
#pragma once

namespace morbilex {

struct FieldHelp {
    const char* name;  // the field's name in its dialog table
    const char* unit;  // "days", "persons", "fraction", "-"
    const char* meaning;
};

// The help of the field with this name, or nullptr.
const FieldHelp* field_help(const char* name);

}  // namespace morbilex
