// The templates and fields of "Cng_Para0", "Cng_Para1", "Cng_Para2" and
// "Cng_Scale", with each dialog's acceptance tests and repairs.
#include <cmath>
#include <iterator>

#include "shell/dialogs.h"

namespace morbilex {
namespace {

// Where a field lives: a member of one of the records.
template <auto Record, auto Member>
double shown(const Records& records) {
    return (records.*Record).*Member;
}
template <auto Record, auto Member>
double* stored(Records& records, DialogScratch&) {
    return &((records.*Record).*Member);
}
template <auto Record, auto Member>
constexpr FieldSpec field(int id, const char* label, const char* format, int read_order,
                          const char* name, FieldRange range = FieldRange::Any) {
    return {id,   label, format, read_order, shown<Record, Member>, stored<Record, Member>,
            name, range};
}

constexpr ControlSpec label(const char* text, int x, int y, int width) {
    return {CONTROL_ID_LABEL, ControlClass::Static, text, x, y, width, 10, LABEL_STYLE};
}
constexpr ControlSpec edit(int id, int x, int y, int width) {
    return {id, ControlClass::Edit, "", x, y, width, 10, EDIT_STYLE};
}
constexpr ControlSpec button(int id, const char* text, int x, int y, int width) {
    const std::uint32_t style = id == CONTROL_ID_OK ? DEFAULT_BUTTON_STYLE : BUTTON_STYLE;
    return {id, ControlClass::Button, text, x, y, width, 14, style};
}

// ---- "Cng_Para0": the model parameters

constexpr ControlSpec MODEL_CONTROLS[] = {
    label("R_0 ", 10, 10, 35),
    label("Latent day ", 85, 10, 40),
    label("Infectious ", 165, 10, 40),
    label("T_max ", 10, 30, 35),
    label("S(0) ", 10, 50, 20),
    label("E(0) ", 70, 50, 20),
    label("I(0) ", 130, 50, 20),
    label("R(0) ", 190, 50, 20),
    edit(205, 45, 10, 35),
    edit(206, 125, 10, 35),
    edit(207, 205, 10, 35),
    edit(208, 45, 30, 45),
    {210, ControlClass::Static, "", 30, 50, 30, 10, CENTRED_STATIC_STYLE},
    edit(211, 90, 50, 30),
    edit(212, 150, 50, 30),
    edit(213, 210, 50, 30),
    button(CONTROL_ID_OK, "OK", 10, 70, 60),
    button(CONTROL_ID_CANCEL, "Cancel", 95, 70, 60),
    button(CONTROL_ID_HELP, "Help", 180, 70, 60),
};

double shown_T_max(const Records& records) {
    return records.model.n_steps * records.model.dt;
}
double* stored_T_max(Records&, DialogScratch& scratch) {
    return &scratch.T_max;
}

constexpr auto MODEL = &Records::model;
constexpr FieldSpec MODEL_FIELDS[] = {
    field<MODEL, &ModelParameters::R_0>(205, "R_0 ", "%6.2f", 1, "R_0"),
    field<MODEL, &ModelParameters::latent_period>(206, "Latent day ", "%6.2f", 2, "latent_period",
                                                  FieldRange::AboveZero),
    field<MODEL, &ModelParameters::infectious_period>(207, "Infectious ", "%6.2f", 3,
                                                      "infectious_period", FieldRange::AboveZero),
    {208, "T_max ", "%8.2f", 4, shown_T_max, stored_T_max, "T_max", FieldRange::Any},
    field<MODEL, &ModelParameters::init_S>(210, "S(0) ", "%7.2f", 0, "init_S"),
    field<MODEL, &ModelParameters::init_E>(211, "E(0) ", "%7.2f", 5, "init_E"),
    field<MODEL, &ModelParameters::init_I>(212, "I(0) ", "%7.2f", 6, "init_I"),
    field<MODEL, &ModelParameters::init_R>(213, "R(0) ", "%7.2f", 7, "init_R"),
};

Refusal test_initial_values(const Records& records, const DialogScratch&) {
    const ModelParameters& m = records.model;
    if (!(m.init_E >= 0.0)) return {211, RefusalReason::NegativeValue};
    if (!(m.init_I >= 0.0)) return {212, RefusalReason::NegativeValue};
    if (!(m.init_R >= 0.0)) return {213, RefusalReason::NegativeValue};
    return {};
}

// S(0) is what remains of the population; an excess is taken from R(0), then
// I(0), then E(0).
void settle_initial_values(ModelParameters& m) {
    m.init_S = ((POPULATION_BASE - m.init_E) - m.init_I) - m.init_R;
    if (!(m.init_S < 0.0)) return;
    m.init_S = 0.0;
    m.init_R = (POPULATION_BASE - m.init_E) - m.init_I;
    if (m.init_R >= 0.0) return;
    m.init_R = 0.0;
    m.init_I = POPULATION_BASE - m.init_E;
    if (m.init_I >= 0.0) return;
    m.init_I = 0.0;
    m.init_E = POPULATION_BASE;
}

void settle_model(Records& records, const DialogScratch& scratch) {
    settle_initial_values(records.model);
    records.model.n_steps = steps_for_duration(scratch.T_max, records.model.dt);
}

// ---- "Cng_Para1": the one-time plan

constexpr ControlSpec ONE_TIME_CONTROLS[] = {
    label("Redct1 ", 10, 10, 40),
    label("t_srt1 ", 90, 10, 40),
    label("t_stp1 ", 170, 10, 40),
    label("Redct2 ", 10, 30, 40),
    label("t_srt2 ", 90, 30, 40),
    label("t_stp2 ", 170, 30, 40),
    label("Redct3 ", 10, 50, 40),
    label("t_srt3 ", 90, 50, 40),
    label("t_stp3 ", 170, 50, 40),
    edit(220, 50, 10, 40),
    edit(221, 130, 10, 40),
    edit(222, 210, 10, 40),
    edit(223, 50, 30, 40),
    edit(224, 130, 30, 40),
    edit(225, 210, 30, 40),
    edit(226, 50, 50, 40),
    edit(227, 130, 50, 40),
    edit(228, 210, 50, 40),
    button(CONTROL_ID_OK, "OK", 10, 70, 60),
    button(CONTROL_ID_CANCEL, "Cancel", 95, 70, 60),
    button(CONTROL_ID_HELP, "Help", 180, 70, 60),
};

constexpr auto ONE_TIME = &Records::one_time;
constexpr FieldSpec ONE_TIME_FIELDS[] = {
    field<ONE_TIME, &OneTimePlan::Redct1>(220, "Redct1 ", "%6.3f", 1, "Redct1",
                                          FieldRange::Fraction),
    field<ONE_TIME, &OneTimePlan::t_srt1>(221, "t_srt1 ", "%6.2f", 2, "t_srt1"),
    field<ONE_TIME, &OneTimePlan::t_stp1>(222, "t_stp1 ", "%6.2f", 3, "t_stp1"),
    field<ONE_TIME, &OneTimePlan::Redct2>(223, "Redct2 ", "%6.3f", 4, "Redct2",
                                          FieldRange::Fraction),
    field<ONE_TIME, &OneTimePlan::t_srt2>(224, "t_srt2 ", "%6.2f", 5, "t_srt2"),
    field<ONE_TIME, &OneTimePlan::t_stp2>(225, "t_stp2 ", "%6.2f", 6, "t_stp2"),
    field<ONE_TIME, &OneTimePlan::Redct3>(226, "Redct3 ", "%6.3f", 7, "Redct3",
                                          FieldRange::Fraction),
    field<ONE_TIME, &OneTimePlan::t_srt3>(227, "t_srt3 ", "%6.2f", 8, "t_srt3"),
    field<ONE_TIME, &OneTimePlan::t_stp3>(228, "t_stp3 ", "%6.2f", 9, "t_stp3"),
};

// The windows in time order without overlap; each step sees the ones before.
void settle_one_time(Records& records, const DialogScratch&) {
    OneTimePlan& p = records.one_time;
    if (p.t_srt1 < 0.0) p.t_srt1 = 0.0;
    if (p.t_srt1 > p.t_stp1) p.t_stp1 = p.t_srt1;
    if (p.t_srt2 < p.t_stp1) p.t_srt2 = p.t_stp1;
    if (p.t_srt2 > p.t_stp2) p.t_stp2 = p.t_srt2;
    if (p.t_srt3 < p.t_stp2) p.t_srt3 = p.t_stp2;
    if (p.t_srt3 > p.t_stp3) p.t_stp3 = p.t_srt3;
}

// ---- "Cng_Para2": the intermittent plan

constexpr ControlSpec INTERMITTENT_CONTROLS[] = {
    label("Reduction ", 10, 10, 50),
    label("On_threshold ", 10, 40, 50),
    label("Off_threshold ", 120, 40, 50),
    edit(231, 60, 10, 40),
    edit(232, 60, 40, 40),
    edit(233, 170, 40, 40),
    button(CONTROL_ID_OK, "OK", 12, 70, 50),
    button(CONTROL_ID_CANCEL, "Cancel", 72, 70, 50),
    button(CONTROL_ID_HELP, "Help", 132, 70, 50),
};

constexpr auto INTERMITTENT = &Records::intermittent;
constexpr FieldSpec INTERMITTENT_FIELDS[] = {
    field<INTERMITTENT, &IntermittentPlan::Reduction>(231, "Reduction ", "%6.3f", 1, "Reduction",
                                                      FieldRange::Fraction),
    field<INTERMITTENT, &IntermittentPlan::On_threshold>(232, "On_threshold ", "%6.2f", 2,
                                                         "On_threshold"),
    field<INTERMITTENT, &IntermittentPlan::Off_threshold>(233, "Off_threshold ", "%6.2f", 3,
                                                          "Off_threshold"),
};

// The plan stays as entered; window 1 of the one-time plan is kept from
// starting before day 0 and from ending after the simulated duration.
void settle_intermittent(Records& records, const DialogScratch&) {
    OneTimePlan& p = records.one_time;
    const ModelParameters& m = records.model;
    if (p.t_srt1 < 0.0) p.t_srt1 = 0.0;
    if (p.t_srt1 >= p.t_stp1) p.t_stp1 = p.t_srt1 - m.dt;
    const double duration = m.n_steps * m.dt;
    if (duration < p.t_stp1) p.t_stp1 = duration;
}

// ---- "Cng_Scale": the axis limits

constexpr ControlSpec SCALE_CONTROLS[] = {
    label("xmin", 15, 12, 30),
    label("xmax", 100, 12, 30),
    label("ymin", 15, 36, 30),
    label("ymax", 100, 36, 30),
    edit(201, 40, 12, 50),
    edit(202, 125, 12, 50),
    edit(203, 40, 36, 50),
    edit(204, 125, 36, 50),
    button(CONTROL_ID_OK, "OK", 12, 55, 50),
    button(CONTROL_ID_CANCEL, "Cancel", 72, 55, 50),
    button(CONTROL_ID_HELP, "Help", 132, 55, 50),
};

constexpr auto SCALE = &Records::scale;
constexpr FieldSpec SCALE_FIELDS[] = {
    field<SCALE, &AxisScale::xmin>(201, "xmin", "%12.5g", 1, "xmin"),
    field<SCALE, &AxisScale::xmax>(202, "xmax", "%12.5g", 2, "xmax"),
    field<SCALE, &AxisScale::ymin>(203, "ymin", "%12.5g", 3, "ymin"),
    field<SCALE, &AxisScale::ymax>(204, "ymax", "%12.5g", 4, "ymax"),
};

static_assert(std::size(MODEL_FIELDS) <= DIALOG_FIELD_LIMIT &&
              std::size(ONE_TIME_FIELDS) <= DIALOG_FIELD_LIMIT &&
              std::size(INTERMITTENT_FIELDS) <= DIALOG_FIELD_LIMIT &&
              std::size(SCALE_FIELDS) <= DIALOG_FIELD_LIMIT);

constexpr DialogTable TABLES[] = {
    {DialogKind::ModelParameters, "Cng_Para0", "Change Parameter0", 20, 20, 250, 90, DIALOG_STYLE,
     MODEL_CONTROLS, MODEL_FIELDS, test_initial_values, settle_model},
    {DialogKind::OneTimePlan, "Cng_Para1", "One-time intervention", 20, 20, 250, 90, DIALOG_STYLE,
     ONE_TIME_CONTROLS, ONE_TIME_FIELDS, nullptr, settle_one_time},
    {DialogKind::IntermittentPlan, "Cng_Para2", "Intermittent intervention", 20, 20, 220, 90,
     DIALOG_STYLE, INTERMITTENT_CONTROLS, INTERMITTENT_FIELDS, nullptr, settle_intermittent},
    {DialogKind::AxisScale, "Cng_Scale", "Change Scale of Axis", 6, 15, 194, 83, DIALOG_STYLE,
     SCALE_CONTROLS, SCALE_FIELDS, nullptr, nullptr},
};

}  // namespace

const DialogTable& dialog_table(DialogKind kind) {
    return TABLES[static_cast<int>(kind)];
}

int steps_for_duration(double T_max, double dt) {
    // In doubles throughout: a duration beyond the integer range must not reach
    // a conversion to int before it has been bounded.
    const double steps = std::trunc(std::trunc(T_max) / dt);
    if (std::isnan(steps)) return 0;
    if (steps > MAX_STEPS) return MAX_STEPS;
    if (steps < -MAX_STEPS) return -MAX_STEPS;
    return static_cast<int>(steps);
}

}  // namespace morbilex
