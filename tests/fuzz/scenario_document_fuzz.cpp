// Reading a scenario document: whatever the text, a document read gives
// values the dialogs would take and writes back to a text that reads the
// same; one refused leaves the records as they were and names its line.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "shell/scenario_document.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morbilex;
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const auto records = std::make_unique<Records>();
    records->model = {};
    records->one_time = {};
    records->intermittent = {};
    records->scale = {};
    static bool view[3];
    view[0] = false, view[1] = true, view[2] = true;
    const ViewSwitch switches[3] = {
        {"classic_view", &view[0]}, {"compare", &view[1]}, {"fit_after_run", &view[2]}};
    const std::string before = write_scenario_document(*records, switches);
    InterventionMode mode = 5;
    std::string error;
    if (!read_scenario_document(text, *records, mode, error, switches)) {
        check(error.rfind("line ", 0) == 0);
        check(mode == 5 && write_scenario_document(*records, switches) == before);
        return 0;
    }
    const ModelParameters& m = records->model;
    check(m.latent_period > 0 && m.infectious_period > 0);
    check(m.init_S >= 0 && m.init_E >= 0 && m.init_I >= 0 && m.init_R >= 0);
    check(std::abs(m.n_steps) <= MAX_STEPS && mode >= -1 && mode <= 2);
    for (double reduction : {records->one_time.Redct1, records->one_time.Redct2,
                             records->one_time.Redct3, records->intermittent.Reduction})
        check(reduction >= 0 && reduction <= 1);
    records->mode = mode;
    const std::string written = write_scenario_document(*records, switches);
    InterventionMode again = 5;
    check(read_scenario_document(written, *records, again, error, switches) && again == mode);
    check(write_scenario_document(*records, switches) == written);
    return 0;
}
