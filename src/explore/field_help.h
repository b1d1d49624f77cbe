// What each dialog field means and in which unit, for the dialogs' and the
// sliders' tooltips.
#pragma once

#include <string>

namespace morbilex {

struct FieldHelp {
    const char* name;  // the field's name in its dialog table
    const char* unit;  // "days", "persons", "fraction", "-"
    const char* meaning;
};

// The help of the field with this name, or nullptr.
const FieldHelp* field_help(const char* name);

// The name assistive technology gives the field's control: its name with
// spaces for '_' and its unit ("latent period, days"); the name alone for
// a field without help.
std::string accessible_field_name(const char* name);

}  // namespace morbilex
