// A scenario document's values as typed fields: what opening a scenario file
// types, for morbilex-batch's --scenario and the Python module alike.
#pragma once

#include <vector>

#include "analysis/scenario_setup.h"
#include "model/records.h"

namespace morbilex {

// Every field the dialogs read back, typed as the text of the value records
// hold (the shortest text of the number), marked as from a scenario file:
// fields typed after them type over them.
void type_scenario_fields(const Records& records, std::vector<TypedField>& typed);

}  // namespace morbilex
