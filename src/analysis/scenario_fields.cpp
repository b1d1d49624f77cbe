// A scenario document's values as typed fields.
#include "analysis/scenario_fields.h"

#include "text/shortest.h"

namespace morbilex {

void type_scenario_fields(const Records& records, std::vector<TypedField>& typed) {
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order == 0) continue;
            TypedField one{kind, &field, {}, true};
            append_shortest(one.text, field.shown_value(records));
            typed.push_back(std::move(one));
        }
    }
}

}  // namespace morbilex
