#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <random>

#include "shell/dialog_test_support.h"
#include "support/test_support.h"
#include "text/read.h"

namespace morbilex {
namespace {

using testing::default_records;
using testing::OpenDialog;

constexpr auto MODEL = DialogKind::ModelParameters;
constexpr auto ONE_TIME = DialogKind::OneTimePlan;
constexpr auto INTERMITTENT = DialogKind::IntermittentPlan;
constexpr auto SCALE = DialogKind::AxisScale;

TEST(ModelDialog, FirstOpeningShowsTheDefaultsPadded) {
    auto records = default_records();
    OpenDialog dialog(MODEL, *records);
    EXPECT_EQ(dialog.shown(205), "  2.50");
    EXPECT_EQ(dialog.shown(206), "  4.60");
    EXPECT_EQ(dialog.shown(207), "  5.00");
    EXPECT_EQ(dialog.shown(208), "  200.00");
    EXPECT_EQ(dialog.shown(210), "9999.90");
    EXPECT_EQ(dialog.shown(211), "   0.10");
    EXPECT_EQ(dialog.shown(212), "   0.00");
    EXPECT_EQ(dialog.shown(213), "   0.00");
    EXPECT_EQ(dialog.controls.texts.size(), 8u);
}

TEST(ModelDialog, OkWithoutEditsKeepsEveryValue) {
    auto records = default_records();
    const ModelParameters before = records->model;
    records->model.init_S = 1.0;  // derived again on OK
    EXPECT_EQ(OpenDialog(MODEL, *records).press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->model.R_0, before.R_0);
    EXPECT_EQ(records->model.latent_period, before.latent_period);
    EXPECT_EQ(records->model.infectious_period, before.infectious_period);
    EXPECT_EQ(records->model.init_S, 9999.9);
    EXPECT_EQ(records->model.init_E, 0.1);
    EXPECT_EQ(records->model.n_steps, 800);
}

TEST(ModelDialog, DurationBecomesWholeDaysOfSteps) {
    struct Case {
        const char* typed;
        int n_steps;
        const char* reopened;
    };
    const Case cases[] = {
        {"123.9", 492, "  123.00"},     {"20000", 40000, "10000.00"},
        {"10000", 40000, "10000.00"},   {"0.9", 0, "    0.00"},
        {"-1", -4, "   -1.00"},         {"-0.5", 0, "    0.00"},
        {"1e12", 40000, "10000.00"},    {"3000000000", 40000, "10000.00"},
        {"-1e12", -40000, "-10000.00"}, {"1e300", 40000, "10000.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        auto records = default_records();
        EXPECT_EQ(OpenDialog(MODEL, *records).type(208, c.typed).press_ok(),
                  AcceptResult::Accepted);
        EXPECT_EQ(records->model.n_steps, c.n_steps);
        EXPECT_EQ(OpenDialog(MODEL, *records).shown(208), c.reopened);
    }
}

TEST(ModelDialog, ExcessInitialValuesComeOffRThenIThenE) {
    struct Case {
        const char *E, *I, *R;
        double S_after, E_after, I_after, R_after;
    };
    const Case cases[] = {
        {"6000", "3000", "2000", 0, 6000, 3000, 1000}, {"9000", "2000", "500", 0, 9000, 1000, 0},
        {"12000", "5", "5", 0, 10000, 0, 0},           {"100", "200", "300", 9400, 100, 200, 300},
        {"1e308", "1e308", "1e308", 0, 10000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.E);
        auto records = default_records();
        OpenDialog dialog(MODEL, *records);
        dialog.type(211, c.E).type(212, c.I).type(213, c.R);
        ASSERT_EQ(dialog.press_ok(), AcceptResult::Accepted);
        const ModelParameters& m = records->model;
        EXPECT_EQ(m.init_S, c.S_after);
        EXPECT_EQ(m.init_E, c.E_after);
        EXPECT_EQ(m.init_I, c.I_after);
        EXPECT_EQ(m.init_R, c.R_after);
    }
}

TEST(ModelDialog, NegativeInitialValueRefusesAndStoresNothing) {
    auto records = default_records();
    records->model.init_S = 1234.0;
    OpenDialog dialog(MODEL, *records);
    dialog.type(205, "3.1").type(206, "6").type(207, "7").type(208, "50");
    dialog.type(211, "-1").type(212, "7");
    EXPECT_EQ(dialog.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(dialog.refusal.control_id, 211);
    EXPECT_EQ(dialog.refusal.reason, RefusalReason::NegativeValue);
    const ModelParameters& m = records->model;
    EXPECT_EQ(m.R_0, 2.5);
    EXPECT_EQ(m.latent_period, 4.6);
    EXPECT_EQ(m.infectious_period, 5.0);
    EXPECT_EQ(m.init_E, 0.1);
    EXPECT_EQ(m.init_I, 0.0);
    EXPECT_EQ(m.init_S, 1234.0);
    EXPECT_EQ(m.n_steps, 800);
    // Cancel then closes with 1: the records are as they were before the dialog.
    const DialogCommandOutcome cancel =
        dialog_command(dialog.table, *records, dialog.controls, CONTROL_ID_CANCEL);
    EXPECT_TRUE(cancel.handled);
    EXPECT_TRUE(cancel.close);
    EXPECT_EQ(cancel.result, DIALOG_RESULT_CANCEL);
    EXPECT_EQ(m.init_E, 0.1);
    EXPECT_EQ(m.init_S, 1234.0);

    OpenDialog second(MODEL, *records);
    second.type(211, "0").type(213, "-0.01");
    EXPECT_EQ(second.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(second.refusal.control_id, 213);
}

TEST(ModelDialog, EmptyOrNumberlessFieldStopsTheReading) {
    auto records = default_records();
    OpenDialog empty_first(MODEL, *records);
    empty_first.type(205, "").type(206, "9");
    EXPECT_EQ(empty_first.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(empty_first.refusal.control_id, 205);
    EXPECT_EQ(empty_first.refusal.reason, RefusalReason::EmptyField);
    EXPECT_EQ(records->model.latent_period, 4.6);

    OpenDialog empty_second(MODEL, *records);
    empty_second.type(205, "3").type(206, "").type(207, "9");
    EXPECT_EQ(empty_second.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(records->model.R_0, 2.5);
    EXPECT_EQ(records->model.infectious_period, 5.0);

    for (const char* text : {"x2.5", "   ", "-", ".", "e5", "+-1"}) {
        SCOPED_TRACE(text);
        OpenDialog dialog(MODEL, *records);
        dialog.type(205, text);
        EXPECT_EQ(dialog.press_ok(), AcceptResult::Refused);
        EXPECT_EQ(dialog.refusal.reason, RefusalReason::NoNumber);
        EXPECT_EQ(records->model.R_0, 2.5);
    }
}

TEST(ModelDialog, TrailingTextAfterANumberIsIgnored) {
    auto records = default_records();
    OpenDialog dialog(MODEL, *records);
    dialog.type(205, "2.5x").type(206, "  3.5 days").type(207, "+6e0,5");
    EXPECT_EQ(dialog.press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->model.R_0, 2.5);
    EXPECT_EQ(records->model.latent_period, 3.5);
    EXPECT_EQ(records->model.infectious_period, 6.0);
}

TEST(ModelDialog, NonFiniteValuesAreRefusedAndNotStored) {
    for (const char* text : {"inf", "-inf", "nan", "NAN(1)", "infinity", "1e999", "-1e999"}) {
        SCOPED_TRACE(text);
        auto records = default_records();
        OpenDialog dialog(MODEL, *records);
        dialog.type(205, "3").type(208, text);
        EXPECT_EQ(dialog.press_ok(), AcceptResult::Refused);
        EXPECT_EQ(dialog.refusal.control_id, 208);
        EXPECT_EQ(dialog.refusal.reason, RefusalReason::NoNumber);
        EXPECT_EQ(records->model.R_0, 2.5);
        EXPECT_EQ(records->model.n_steps, 800);

        OpenDialog scale(SCALE, *records);
        scale.type(202, text);
        EXPECT_EQ(scale.press_ok(), AcceptResult::Refused);
        EXPECT_EQ(records->scale.xmax, 200.0);
    }
}

TEST(ModelDialog, PeriodsOfZeroOrBelowAreRefusedAndNotStored) {
    for (const char* text : {"0", "-0", "0.0", "-4.6", "-1e-300"}) {
        SCOPED_TRACE(text);
        auto records = default_records();
        OpenDialog latent(MODEL, *records);
        latent.type(205, "3").type(206, text);
        EXPECT_EQ(latent.press_ok(), AcceptResult::Refused);
        EXPECT_EQ(latent.refusal.control_id, 206);
        EXPECT_EQ(latent.refusal.reason, RefusalReason::NotAboveZero);
        EXPECT_EQ(records->model.latent_period, 4.6);
        EXPECT_EQ(records->model.R_0, 2.5);

        OpenDialog infectious(MODEL, *records);
        infectious.type(207, text);
        EXPECT_EQ(infectious.press_ok(), AcceptResult::Refused);
        EXPECT_EQ(infectious.refusal.control_id, 207);
        EXPECT_EQ(records->model.infectious_period, 5.0);
    }
    // A period shown as "0.00" would refuse the next OK with no visible reason.
    auto records = default_records();
    for (const char* text : {"1e-300", "0.004", "0.00499"}) {
        OpenDialog tiny(MODEL, *records);
        EXPECT_EQ(tiny.type(207, text).press_ok(), AcceptResult::Refused) << text;
        EXPECT_EQ(tiny.refusal.reason, RefusalReason::NotAboveZero);
        EXPECT_EQ(records->model.infectious_period, 5.0);
    }
    EXPECT_EQ(OpenDialog(MODEL, *records).type(207, "0.005").press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(OpenDialog(MODEL, *records).press_ok(), AcceptResult::Accepted);  // shows 0.01
    EXPECT_EQ(records->model.infectious_period, 0.01);
}

TEST(DisplayText, FitsTheBufferAndReadsBackToTheSameValue) {
    EXPECT_EQ(display_text("%6.2f", 1e57).size(), 61u);  // still fixed point
    for (double value : {1e60, 1e80, -1e80, 1.2345678901234567e200, -1.7976931348623157e308,
                         123456789012345678901234567890123456789012345678901234567890.0}) {
        SCOPED_TRACE(value);
        for (const char* format : {"%6.2f", "%8.2f", "%7.2f", "%6.3f", "%12.5g"}) {
            const std::string text = display_text(format, value);
            EXPECT_LE(text.size(), 63u) << format;
            if (std::string(format) != "%12.5g") {
                double back = 0.0;
                ASSERT_TRUE(read_leading_number(text, back)) << text;
                EXPECT_EQ(back, value) << text;
            }
        }
    }
    EXPECT_EQ(display_text("%6.2f", 1e80), "1e+80");
}

TEST(ModelDialog, HugeValueSurvivesReopeningAndOkWithoutEdits) {
    auto records = default_records();
    EXPECT_EQ(OpenDialog(MODEL, *records).type(205, "1e80").type(211, "1e80").press_ok(),
              AcceptResult::Accepted);
    EXPECT_EQ(records->model.R_0, 1e80);
    OpenDialog reopened(MODEL, *records);
    EXPECT_EQ(reopened.shown(205), "1e+80");
    EXPECT_EQ(reopened.press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->model.R_0, 1e80);
    EXPECT_EQ(records->model.init_E, 10000.0);
}

TEST(ModelDialog, CancelAndHelpTakeNoStep) {
    auto records = default_records();
    records->model.init_S = 1.0;
    OpenDialog dialog(MODEL, *records);
    dialog.type(205, "9").type(208, "10");
    const DialogCommandOutcome help =
        dialog_command(dialog.table, *records, dialog.controls, CONTROL_ID_HELP);
    EXPECT_FALSE(help.handled);
    EXPECT_FALSE(help.close);
    const DialogCommandOutcome cancel =
        dialog_command(dialog.table, *records, dialog.controls, CONTROL_ID_CANCEL);
    EXPECT_EQ(cancel.result, 1);
    EXPECT_EQ(records->model.R_0, 2.5);
    EXPECT_EQ(records->model.init_S, 1.0);
    EXPECT_EQ(records->model.n_steps, 800);

    dialog.type(206, "");
    const DialogCommandOutcome refused =
        dialog_command(dialog.table, *records, dialog.controls, CONTROL_ID_OK);
    EXPECT_FALSE(refused.handled);
    EXPECT_FALSE(refused.close);
    dialog.type(206, "4");
    const DialogCommandOutcome accepted =
        dialog_command(dialog.table, *records, dialog.controls, CONTROL_ID_OK);
    EXPECT_TRUE(accepted.handled);
    EXPECT_TRUE(accepted.close);
    EXPECT_EQ(accepted.result, 0);
    EXPECT_EQ(records->model.n_steps, 40);
}

TEST(OneTimeDialog, FirstOpeningShowsTheDefaultPlan) {
    auto records = default_records();
    OpenDialog dialog(ONE_TIME, *records);
    const char* expected[] = {" 0.800", " 10.00", " 70.00", " 0.000", " 70.00",
                              " 70.00", " 0.000", " 70.00", " 70.00"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(dialog.shown(220 + i), expected[i]) << 220 + i;
}

TEST(OneTimeDialog, WindowsAreSortedIntoTimeOrder) {
    struct Case {
        const char* name;
        std::map<int, const char*> typed;
        OneTimePlan after;
    };
    const Case cases[] = {
        {"stop before start", {{221, "30"}, {222, "20"}}, {0.8, 30, 30, 0, 70, 70, 0, 70, 70}},
        {"start before day 0", {{221, "-5"}}, {0.8, 0, 70, 0, 70, 70, 0, 70, 70}},
        {"window 2 inside window 1",
         {{224, "50"}, {225, "60"}},
         {0.8, 10, 70, 0, 70, 70, 0, 70, 70}},
        {"window 3 reversed after window 2",
         {{224, "80"}, {225, "120"}, {227, "100"}, {228, "80"}},
         {0.8, 10, 70, 0, 80, 120, 0, 120, 120}},
        {"reductions as entered",
         {{220, "1"}, {223, "0"}, {226, "0.25"}},
         {1, 10, 70, 0, 70, 70, 0.25, 70, 70}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto records = default_records();
        OpenDialog dialog(ONE_TIME, *records);
        for (const auto& [id, text] : c.typed)
            dialog.type(id, text);
        ASSERT_EQ(dialog.press_ok(), AcceptResult::Accepted);
        const OneTimePlan& p = records->one_time;
        const double got[] = {p.Redct1, p.t_srt1, p.t_stp1, p.Redct2, p.t_srt2,
                              p.t_stp2, p.Redct3, p.t_srt3, p.t_stp3};
        const OneTimePlan& e = c.after;
        const double want[] = {e.Redct1, e.t_srt1, e.t_stp1, e.Redct2, e.t_srt2,
                               e.t_stp2, e.Redct3, e.t_srt3, e.t_stp3};
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(got[i], want[i]) << i;
    }
}

TEST(OneTimeDialog, RefusalStoresNothingAndRepairsNothing) {
    auto records = default_records();
    OpenDialog dialog(ONE_TIME, *records);
    dialog.type(220, "0.5").type(221, "-5").type(222, "-7").type(223, "0.1").type(224, "");
    dialog.type(225, "99");
    EXPECT_EQ(dialog.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(dialog.refusal.control_id, 224);
    const OneTimePlan& p = records->one_time;
    EXPECT_EQ(p.Redct1, 0.8);
    EXPECT_EQ(p.t_srt1, 10.0);
    EXPECT_EQ(p.t_stp1, 70.0);
    EXPECT_EQ(p.Redct2, 0.0);
    EXPECT_EQ(p.t_srt2, 70.0);
    EXPECT_EQ(p.t_stp2, 70.0);
}

TEST(IntermittentDialog, OpensWithTheDefaultsAndStoresAnyPlan) {
    auto records = default_records();
    OpenDialog dialog(INTERMITTENT, *records);
    EXPECT_EQ(dialog.shown(231), " 0.800");
    EXPECT_EQ(dialog.shown(232), " 35.00");
    EXPECT_EQ(dialog.shown(233), "  5.00");
    dialog.type(231, "1").type(232, "2").type(233, "40");
    ASSERT_EQ(dialog.press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->intermittent.Reduction, 1.0);
    EXPECT_EQ(records->intermittent.On_threshold, 2.0);
    EXPECT_EQ(records->intermittent.Off_threshold, 40.0);
}

TEST(IntermittentDialog, KeepsOneTimeWindowOneInsideTheRun) {
    struct Case {
        const char* name;
        double t_srt1, t_stp1;
        int n_steps;
        double srt_after, stp_after;
    };
    const Case cases[] = {
        {"inside the run", 10, 70, 800, 10, 70},  {"beyond a short run", 10, 70, 200, 10, 50},
        {"empty window", 70, 70, 800, 70, 69.75}, {"reversed window", 80, 20, 800, 80, 79.75},
        {"negative start", -5, 30, 800, 0, 30},   {"no steps", 10, 70, -4, 10, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto records = default_records();
        records->one_time.t_srt1 = c.t_srt1;
        records->one_time.t_stp1 = c.t_stp1;
        records->model.n_steps = c.n_steps;
        ASSERT_EQ(OpenDialog(INTERMITTENT, *records).press_ok(), AcceptResult::Accepted);
        EXPECT_EQ(records->one_time.t_srt1, c.srt_after);
        EXPECT_EQ(records->one_time.t_stp1, c.stp_after);
        EXPECT_EQ(records->one_time.t_srt2, 70.0);
        EXPECT_EQ(records->one_time.t_stp2, 70.0);
    }
}

TEST(ScaleDialog, ShowsFiveSignificantDigitsInTwelveCharacters) {
    auto records = default_records();
    OpenDialog first(SCALE, *records);
    EXPECT_EQ(first.shown(201), "           0");
    EXPECT_EQ(first.shown(202), "         200");
    EXPECT_EQ(first.shown(203), "           0");
    EXPECT_EQ(first.shown(204), "         100");

    records->scale.xmax = 123.456;
    records->scale.ymax = 1000000.0;
    OpenDialog second(SCALE, *records);
    EXPECT_EQ(second.shown(202), "      123.46");
    EXPECT_EQ(second.shown(204), "       1e+06");
    ASSERT_EQ(second.press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->scale.xmax, 123.46);
    EXPECT_EQ(records->scale.ymax, 1e6);
}

TEST(ScaleDialog, LimitsAreStoredAsEnteredWithoutRepair) {
    auto records = default_records();
    OpenDialog dialog(SCALE, *records);
    dialog.type(201, "150").type(202, "50").type(203, "7").type(204, "7");
    ASSERT_EQ(dialog.press_ok(), AcceptResult::Accepted);
    EXPECT_EQ(records->scale.xmin, 150.0);
    EXPECT_EQ(records->scale.xmax, 50.0);
    EXPECT_EQ(records->scale.ymin, 7.0);
    EXPECT_EQ(records->scale.ymax, 7.0);

    OpenDialog refused(SCALE, *records);
    refused.type(201, "50").type(202, "150").type(203, "").type(204, "20");
    EXPECT_EQ(refused.press_ok(), AcceptResult::Refused);
    EXPECT_EQ(records->scale.xmin, 150.0);
    EXPECT_EQ(records->scale.xmax, 50.0);
    EXPECT_EQ(records->scale.ymin, 7.0);
    EXPECT_EQ(records->scale.ymax, 7.0);
}

// Whatever is typed, a refused OK leaves every record as it was: the fields
// of all four dialogs, typed with texts good and bad at random.
TEST(EveryDialog, RefusedOkStoresNoField) {
    const char* texts[] = {"3",     "-2", "0.5", "2,5", "",      "x",   "1e999", "80",
                           "0.001", "-0", "7 d", "1,0", "-5000", "0.9", "12.5",  "1e5"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        auto records = default_records();
        const DialogKind kind = ALL_DIALOG_KINDS[round % 4];
        OpenDialog dialog(kind, *records);
        for (const FieldSpec& field : dialog.table.fields) {
            if (field.read_order > 0 && random() % 2 == 0)
                dialog.type(field.control_id, texts[random() % std::size(texts)]);
        }
        const auto fresh = default_records();
        if (dialog.press_ok() == AcceptResult::Accepted) continue;
        EXPECT_NE(dialog.refusal.reason, RefusalReason::None);
        EXPECT_FALSE(refusal_line(dialog.table, dialog.refusal).empty());
        EXPECT_EQ(records->model.n_steps, fresh->model.n_steps) << round;
        for (DialogKind each : ALL_DIALOG_KINDS) {
            for (const FieldSpec& field : dialog_table(each).fields) {
                DialogScratch scratch;
                EXPECT_EQ(*field.storage(*records, scratch), *field.storage(*fresh, scratch))
                    << field.name << " in round " << round;
            }
        }
    }
}

TEST(EveryDialog, DecimalCommaAndReductionsBeyondOneAreRefused) {
    struct Case {
        DialogKind kind;
        int control_id;
        const char* text;
        RefusalReason reason;  // None: accepted
    };
    const Case cases[] = {
        {MODEL, 205, "2,5", RefusalReason::DecimalComma},
        {MODEL, 205, " -1,000", RefusalReason::DecimalComma},
        {MODEL, 206, "3.5 days", RefusalReason::None},
        {MODEL, 205, "2, 5", RefusalReason::None},
        {MODEL, 205, "2.5,1", RefusalReason::None},
        {SCALE, 204, "2e3,5", RefusalReason::None},
        {ONE_TIME, 220, "80", RefusalReason::NotAFraction},
        {ONE_TIME, 223, "-0.001", RefusalReason::NotAFraction},
        {ONE_TIME, 226, "1.0001", RefusalReason::NotAFraction},
        {ONE_TIME, 226, "-0", RefusalReason::None},
        {ONE_TIME, 223, "1", RefusalReason::None},
        {INTERMITTENT, 231, "-5000", RefusalReason::NotAFraction},
        {INTERMITTENT, 231, "0,8", RefusalReason::DecimalComma},
        {INTERMITTENT, 231, "0", RefusalReason::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto records = default_records();
        OpenDialog dialog(c.kind, *records);
        const AcceptResult result = dialog.type(c.control_id, c.text).press_ok();
        EXPECT_EQ(result == AcceptResult::Accepted, c.reason == RefusalReason::None);
        EXPECT_EQ(dialog.refusal.reason, c.reason);
        if (c.reason != RefusalReason::None) {
            EXPECT_EQ(dialog.refusal.control_id, c.control_id);
        }
    }
    Refusal negative{211, RefusalReason::NegativeValue};
    EXPECT_EQ(refusal_line(dialog_table(MODEL), negative),
              "E(0): an initial value must not be negative");
    EXPECT_EQ(refusal_line(dialog_table(MODEL), Refusal{}), "");
}

}  // namespace
}  // namespace morbilex
