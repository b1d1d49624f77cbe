#include "model/records.h"

namespace morbilex {

Records& program_records() {
    static Records records;
    return records;
}

}  // namespace morbilex
