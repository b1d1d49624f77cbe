// Labels shortened to end before the fields beside them.
#include "shell/dialog_layout.h"

namespace morbilex {

int label_right_before_fields(const ControlArea& label, std::span<const ControlArea> fields,
                              int gap) {
    int right = label.right;
    for (const ControlArea& field : fields) {
        const bool same_row = field.top < label.bottom && label.top < field.bottom;
        if (same_row && field.left > label.left && field.left < right) right = field.left - gap;
    }
    return right;
}

}  // namespace morbilex
