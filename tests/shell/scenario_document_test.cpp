#include "shell/scenario_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "shell/dialog_test_support.h"
#include "shell/dialogs.h"
#include "shell/scenario_files.h"
#include "shell/view_switches_test_support.h"
#include "support/test_support.h"

namespace morbilex {
namespace {

using testing::default_records;
using testing::TestView;

// Every value a document carries, as bits: -0 and 0 differ.
std::vector<std::uint64_t> carried_bits(const Records& records, InterventionMode mode,
                                        const TestView& view = TestView()) {
    std::vector<std::uint64_t> bits;
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields)
            bits.push_back(__builtin_bit_cast(std::uint64_t, field.shown_value(records)));
    }
    bits.push_back(static_cast<std::uint64_t>(records.model.n_steps));
    bits.push_back(static_cast<std::uint64_t>(mode));
    bits.push_back(static_cast<std::uint64_t>(view.bits()));
    return bits;
}

// Any finite double: random bits, or a short decimal, either sign.
double any_value(std::mt19937_64& random) {
    if (random() % 2 == 0) {
        double value = 0.0;
        do {
            value = __builtin_bit_cast(double, random());
        } while (!std::isfinite(value));
        return value;
    }
    const double decimal = static_cast<double>(random() % 100000) / 100.0;
    return random() % 2 == 0 ? decimal : -decimal;
}

double in_range(std::mt19937_64& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}

// Records as the dialogs can leave them: values each field takes, initial
// values that leave a share of 10000 to S(0), whole days of steps.
void fill_random(Records& records, std::mt19937_64& random) {
    ModelParameters& m = records.model;
    m.R_0 = any_value(random);
    m.latent_period = in_range(random, 0.005, 1e6);
    m.infectious_period = random() % 4 == 0 ? 1e300 : in_range(random, 0.005, 30);
    m.n_steps = 4 * static_cast<int>(random() % 20001) - 40000;
    m.init_E = random() % 8 == 0 ? -0.0 : in_range(random, 0, 3333);
    m.init_I = in_range(random, 0, 3333);
    m.init_R = random() % 8 == 0 ? 4e-320 : in_range(random, 0, 3333);
    m.init_S = ((POPULATION_BASE - m.init_E) - m.init_I) - m.init_R;
    for (double* reduction : {&records.one_time.Redct1, &records.one_time.Redct2,
                              &records.one_time.Redct3, &records.intermittent.Reduction})
        *reduction = random() % 4 == 0 ? static_cast<double>(random() % 2) : in_range(random, 0, 1);
    for (double* any :
         {&records.one_time.t_srt1, &records.one_time.t_stp1, &records.one_time.t_srt2,
          &records.one_time.t_stp2, &records.one_time.t_srt3, &records.one_time.t_stp3,
          &records.intermittent.On_threshold, &records.intermittent.Off_threshold,
          &records.scale.xmin, &records.scale.xmax, &records.scale.ymin, &records.scale.ymax})
        *any = any_value(random);
    records.mode = static_cast<InterventionMode>(random() % 4) - 1;
}

TEST(ScenarioDocument, SavedThenOpenedIsTheSameScenario) {
    std::mt19937_64 random(20261207);
    for (int round = 0; round < 2000; ++round) {
        auto saved = default_records();
        fill_random(*saved, random);
        TestView saved_view{random() % 2 == 0, random() % 2 == 0, random() % 2 == 0};
        const std::string text = write_scenario_document(*saved, saved_view.switches());
        auto opened = default_records();
        TestView opened_view{true, false, false};
        InterventionMode mode = 7;
        std::string error;
        ASSERT_TRUE(read_scenario_document(text, *opened, mode, error, opened_view.switches()))
            << error << "\n"
            << text;
        ASSERT_EQ(carried_bits(*opened, mode, opened_view),
                  carried_bits(*saved, saved->mode, saved_view))
            << text;
        EXPECT_EQ(opened->model.init_S, saved->model.init_S);
        // Written again, word for word the same.
        opened->mode = mode;
        ASSERT_EQ(write_scenario_document(*opened, opened_view.switches()), text);
    }
}

TEST(ScenarioDocument, NamesAreTheBatchOptionsAndMissingOnesKeepTheirDefaults) {
    auto records = default_records();
    records->model.R_0 = 3.25;
    records->mode = MODE_ONE_TIME;
    const std::string text = write_scenario_document(*records);
    EXPECT_NE(text.find("\nR_0 = 3.25\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nT_max = 200\n"), std::string::npos);
    EXPECT_NE(text.find("\nRedct1 = 0.8\n"), std::string::npos);
    EXPECT_NE(text.find("\nmode = 1\n"), std::string::npos);
    EXPECT_EQ(text.find("classic_view"), std::string::npos);

    auto opened = default_records();
    opened->model.latent_period = 9.0;
    InterventionMode mode = 0;
    std::string error;
    ASSERT_TRUE(read_scenario_document(
        "\xEF\xBB\xBF# mine\r\n\n  R_0=4 \r\n init_E = 9000\ninit_I = 2000\nT_max = 50.9\n",
        *opened, mode, error))
        << error;
    EXPECT_EQ(opened->model.R_0, 4.0);
    EXPECT_EQ(opened->model.latent_period, 4.6);  // the default, not what was there
    EXPECT_EQ(opened->model.n_steps, 200);
    EXPECT_EQ(opened->model.init_I, 1000.0);  // the excess comes off as in the dialog
    EXPECT_EQ(opened->model.init_S, 0.0);
    EXPECT_EQ(mode, MODE_NOTHING_CALCULATED);
}

// The observed counts a scenario links come back as written, in their order;
// a document without them links none.
TEST(ScenarioDocument, LinkedCountsComeBackAsWritten) {
    auto opened = default_records();
    InterventionMode mode = 0;
    std::string error;
    const char* text = "R_0 = 3\ndata = counts.csv\npopulation = 763\nfit = R_0,reporting\n";
    ASSERT_TRUE(read_scenario_document(text, *opened, mode, error)) << error;
    const std::vector<std::pair<std::string, std::string>> link = {
        {"data", "counts.csv"}, {"population", "763"}, {"fit", "R_0,reporting"}};
    EXPECT_EQ(opened->counts_link, link);
    const std::string written = write_scenario_document(*opened);
    EXPECT_NE(written.find("\ndata = counts.csv\npopulation = 763\nfit = R_0,reporting\n"),
              std::string::npos)
        << written;
    EXPECT_FALSE(read_scenario_document("data = a.csv\ndata = b.csv\n", *opened, mode, error));
    EXPECT_EQ(opened->counts_link, link);
    ASSERT_TRUE(read_scenario_document("R_0 = 3\n", *opened, mode, error));
    EXPECT_TRUE(opened->counts_link.empty());
}

// Counts kept in a scenario come back as their CSV's lines, after the
// link's other lines and whatever the lines hold (a blank at either end
// can be an empty cell); a text too large to keep
// leaves the link as it was.
TEST(ScenarioDocument, CountsKeptInItReadBackAsTheirCsv) {
    const std::string csv =
        "\xEF\xBB\xBF"
        "date,beds,note\r\n1978-01-22,1,a = b\r\n\r\n1978-01-23,,\n"
        "1978-01-24,26,#\n\t1978-01-25,3,\t\r\r\n";
    CountsLink link = {{"data", "beds.csv"}, {"data_column", "beds"}};
    ASSERT_TRUE(keep_counts_rows(link, csv));
    ASSERT_TRUE(keep_counts_rows(link, csv));  // in place of the rows kept before
    auto records = default_records();
    records->counts_link = link;
    records->counts_link.push_back({"fit", "R_0"});
    auto opened = default_records();
    InterventionMode mode = 0;
    std::string error;
    ASSERT_TRUE(read_scenario_document(write_scenario_document(*records), *opened, mode, error))
        << error;
    EXPECT_EQ(opened->counts_link, records->counts_link);
    EXPECT_EQ(counts_rows_text(opened->counts_link),
              "date,beds,note\n1978-01-22,1,a = b\n1978-01-23,,\n1978-01-24,26,#\n"
              "\t1978-01-25,3,\t\n");
    drop_counts_rows(link);
    EXPECT_FALSE(counts_rows_kept(link));
    EXPECT_FALSE(keep_counts_rows(link, std::string(LARGEST_KEPT_COUNTS + 1, '1')));
    EXPECT_EQ(link.size(), 2u);
    EXPECT_FALSE(read_scenario_document("data_row =\n", *opened, mode, error));
    EXPECT_EQ(error, "line 1: data_row refused: the row is empty");
}

// Range lines are kept as written, for the explorer to read; a field ranged
// twice is refused.
TEST(ScenarioDocument, RangeLinesComeBackAsWritten) {
    auto opened = default_records();
    InterventionMode mode = 0;
    std::string error;
    const char* text = "R_0 = 3\nR_0.range = 2:4\ninit_I.range = 1:5:2\n";
    ASSERT_TRUE(read_scenario_document(text, *opened, mode, error)) << error;
    const std::vector<std::pair<std::string, std::string>> ranges = {{"R_0", "2:4"},
                                                                     {"init_I", "1:5:2"}};
    EXPECT_EQ(opened->range_lines, ranges);
    EXPECT_EQ(opened->model.R_0, 3.0);
    EXPECT_NE(write_scenario_document(*opened).find("\nR_0.range = 2:4\ninit_I.range = 1:5:2\n"),
              std::string::npos);
    EXPECT_FALSE(
        read_scenario_document("R_0.range = 2:4\nR_0.range = 1:2\n", *opened, mode, error));
    EXPECT_EQ(opened->range_lines, ranges);
}

TEST(ScenarioDocument, BadLinesAreRefusedByLineAndFieldAndNothingIsStored) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"R_0 = 3\nlatent_period = 2,5\n",
         "line 2: latent_period = \"2,5\" refused: a decimal comma"},
        {"R_0 = 3\n\nlatent = 4\n", "line 3: unknown name \"latent\""},
        {"init_S = 5\n", "line 1: unknown name \"init_S\" (S(0) is what"},
        {"R_0 3\n", "line 1: not a \"name = value\" line: \"R_0 3\""},
        {"Redct2 = 80\n", "line 1: Redct2 = \"80\" refused: a reduction is a fraction from 0 to 1"},
        {"Reduction = -5000\n", "line 1: Reduction = \"-5000\" refused: a reduction"},
        {"latent_period = 0.001\n", "line 1: latent_period = \"0.001\" refused: a period must be"},
        {"R_0 = days 3.5\n", "line 1: R_0 = \"days 3.5\" refused: no finite number"},
        {"xmax = inf\n", "line 1: xmax = \"inf\" refused: no finite number"},
        {"ymax =\n", "line 1: ymax = \"\" refused: the field is empty"},
        {"T_max = 10\nT_max = 20\n", "line 2: T_max is given twice (first on line 1)"},
        {"mode = 3\n", "line 1: mode = \"3\" refused: the mode is 0"},
        {"compare = yes\n", "line 1: compare = \"yes\" refused: a view option is 0 (off) or 1"},
        {"R_0 = 2\n\ninit_I = -1\n", "line 3: init_I refused: an initial value must not be"},
        // What the file holds is shown quoted, cut, and with controls escaped.
        {std::string("R_0 = 2\nR\0_0 = 3\n", 17), "line 2: unknown name \"R\\x00_0\""},
        {"\x1b]0;title\x07 = 1\n", "line 1: unknown name \"\\x1b]0;title\\x07\""},
        {"xmin = \x9b\xc2\x85\"\xC3\xA9\" \\\n",
         "line 1: xmin = \"\\x9b\\xc2\\x85\\\"\xC3\xA9\\\" \\\\\" refused: no finite number"},
        {std::string(1 << 20, 'x'),
         "line 1: not a \"name = value\" line: \"" + std::string(60, 'x') + "\"..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        auto records = default_records();
        TestView view;
        view.classic = true;
        const std::string before = write_scenario_document(*records, view.switches());
        InterventionMode mode = 2;
        std::string error;
        EXPECT_FALSE(read_scenario_document(c.text, *records, mode, error, view.switches()));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_LT(error.size(), 200u);
        EXPECT_EQ(write_scenario_document(*records, view.switches()), before);
        EXPECT_EQ(mode, 2);
    }
}

// A value in a document is read as the field's dialog reads what is typed
// into it: the same texts taken with the same values, the same refused for
// the same reason. (A document keeps the intervention windows as written: the
// plans' dialogs' repairs are left out.)
TEST(ScenarioDocument, AValueIsTakenOrRefusedAsItsDialogTakesOrRefusesTheTypedText) {
    std::vector<std::string> texts = {
        "3 days", "3.5days", "1e-400", "-1e-400", "4e-320", "1e308",   "1e400", "2,5",
        "1,000",  "2.",      ".5",     "+4.6e0",  "-0",     "0x1.4p2", "1e3x",  "5 # a note",
        "0.001",  "0.004",   "0.005",  "0.8",     "abc",    "inf",     "nan",   ""};
    texts.push_back("1" + std::string(70, '0'));  // read as the 63 characters a field hands out
    texts.push_back("0." + std::string(60, '0') + "1,5");
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        DialogTable table = dialog_table(kind);
        if (kind != DialogKind::ModelParameters) table.post_process = nullptr;
        for (const FieldSpec& field : table.fields) {
            if (field.read_order == 0) continue;
            for (const std::string& text : texts) {
                SCOPED_TRACE(std::string(field.name) + " = " + text);
                auto typed = default_records();
                testing::FakeControls controls;
                show_dialog_fields(table, *typed, controls);
                controls.texts[field.control_id] = text;
                Refusal refusal;
                const bool taken =
                    accept_dialog(table, *typed, controls, &refusal) == AcceptResult::Accepted;
                auto opened = default_records();
                InterventionMode mode = 0;
                std::string error;
                ASSERT_EQ(read_scenario_document(std::string(field.name) + " = " + text + "\n",
                                                 *opened, mode, error),
                          taken)
                    << error;
                if (taken) {
                    EXPECT_EQ(carried_bits(*opened, 0), carried_bits(*typed, 0));
                } else {
                    EXPECT_TRUE(error.ends_with(refusal_reason_text(refusal.reason))) << error;
                }
            }
        }
    }
}

// The settings live in the folder the front end names, come back as they
// were saved, and a bad file there changes nothing.
TEST(RememberedSettings, ComeBackFromTheConfigurationFolderAndABadFileIsIgnored) {
#ifndef _WIN32
    testing::TemporaryFolder folder;
    const std::string config = folder.path().string();
    unsetenv("MORBILEX_NO_SETTINGS");
    std::string path = settings_file_path(config + "/morbilex");
    EXPECT_EQ(path, config + "/morbilex/settings.morbilex");
    auto saved = default_records();
    saved->model.R_0 = 1.75;
    saved->scale.ymax = 2000;
    TestView saved_view;
    saved_view.classic = true;
    ASSERT_TRUE(save_remembered_settings(path, *saved, saved_view.switches()));
    auto loaded = default_records();
    TestView loaded_view;
    load_remembered_settings(path, *loaded, nullptr, loaded_view.switches());
    EXPECT_EQ(loaded->model.R_0, 1.75);
    EXPECT_EQ(loaded->scale.ymax, 2000.0);
    EXPECT_TRUE(loaded_view.classic);
    EXPECT_EQ(loaded->mode, MODE_NOTHING_CALCULATED);

    std::ofstream(path) << "R_0 = 9\nymax = oops\n";
    auto untouched = default_records();
    load_remembered_settings(path, *untouched);
    EXPECT_EQ(untouched->model.R_0, 2.5);
    setenv("MORBILEX_NO_SETTINGS", "1", 1);
    EXPECT_EQ(settings_file_path(config + "/morbilex"), "");
    unsetenv("MORBILEX_NO_SETTINGS");
#endif
}

TEST(ScenarioDocument, CareLayerIsCarriedOnlyWhenOn) {
    auto records = default_records();
    const std::string without = write_scenario_document(*records);
    EXPECT_EQ(without.find("care"), std::string::npos);

    records->care = {true, 0.125, 6.5, 0.3, 11.0, 0.0075};
    auto read = default_records();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    ASSERT_TRUE(read_scenario_document(write_scenario_document(*records), *read, mode, error))
        << error;
    EXPECT_TRUE(same_scenario(*read, *records));

    // A care field alone turns the layer on; "care = 0" keeps its values off.
    ASSERT_TRUE(read_scenario_document("icu_stay = 4\n", *read, mode, error)) << error;
    EXPECT_TRUE(read->care.enabled);
    EXPECT_EQ(read->care.icu_stay, 4.0);
    ASSERT_TRUE(read_scenario_document("care = 0\nicu_stay = 4\n", *read, mode, error));
    EXPECT_FALSE(read->care.enabled);
    EXPECT_FALSE(read_scenario_document("hospital_fraction = 2\n", *read, mode, error));
    EXPECT_EQ(error,
              "line 1: hospital_fraction = \"2\" refused: a share is a fraction from 0 to 1");
}

// A capacity travels only when set; a document without one clears it.
TEST(ScenarioDocument, CapacityOnlyWhenSet) {
    auto records = default_records();
    const std::string plain = write_scenario_document(*records);
    EXPECT_EQ(plain.find("capacity"), std::string::npos);
    records->capacity = {true, 0.1 + 0.2, CapacitySeries::Infectious};
    const std::string text = write_scenario_document(*records);
    auto read = default_records();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string error;
    ASSERT_TRUE(read_scenario_document(text, *read, mode, error)) << error;
    EXPECT_TRUE(read->capacity.set);
    EXPECT_EQ(read->capacity.capacity, 0.1 + 0.2);
    ASSERT_TRUE(read_scenario_document(plain, *read, mode, error));
    EXPECT_FALSE(read->capacity.set);
    EXPECT_FALSE(read_scenario_document("capacity = -1\n", *read, mode, error));
    EXPECT_FALSE(read_scenario_document("capacity_series = beds\n", *read, mode, error));
}

}  // namespace
}  // namespace morbilex
