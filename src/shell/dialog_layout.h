// Where a dialog's labels end beside the fields of their row, for both programs.
#pragma once

#include <span>

namespace morbilex {

// A control's place in its dialog, in pixels; right and bottom lie just
// outside it.
struct ControlArea {
    int left, top, right, bottom;
};

// The right end of a label: a label that reaches under a field of its row
// ends gap pixels before the field begins, so that the field does not hide
// the end of its text. Fields are taken in turn, each against the label as
// shortened so far; a label that reaches under none keeps its right end.
int label_right_before_fields(const ControlArea& label, std::span<const ControlArea> fields,
                              int gap);

}  // namespace morbilex
