// What the explorer view adds to the chart, kept beside the records: the
// figures, the no-intervention run of the same parameters, the periods with a
// reduction in force, the read-out's step, and the mapping between device
// points and the run's steps. The records stay the single source of truth:
// everything here follows from them and is brought up to date by sync().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/care_layer.h"
#include "analysis/run_figures.h"
#include "chart/chart.h"
#include "explore/explore_layout.h"
#include "explore/figures.h"
#include "explore/observed_overlay.h"
#include "explore/plan_finder.h"
#include "explore/uncertainty.h"
#include "explore/view_options.h"
#include "model/records.h"
#include "model/run_loop.h"
#include "shell/commands.h"

namespace morbilex {

// Steps first..end-1 of the run with a reduction of transmission in force.
struct ReducedPeriod {
    int first_step;
    int end_step;
};

class ExplorerSink;

// A traced run that the explorer observes (see ExplorerFedByRuns) gives it the
// run's figures and bands from the run's own pass; the next sync adds the run
// without intervention.
class Explorer : public RunObserver {
public:
    // With view options of its own, or over the program's.
    Explorer();
    explicit Explorer(ViewOptions& view);
    ~Explorer() override;
    Explorer(const Explorer&) = delete;
    Explorer& operator=(const Explorer&) = delete;

    // Recomputes what follows from the records' run when its inputs changed
    // since the last call (the mode, the parameters or a plan).
    void sync(const Records& records);
    // Forgets everything: the next sync recomputes.
    void invalidate() { synced_ = false; }
    // Runs the records' mode without a trace, as a slider's drag does (the
    // same table and rates as run_simulation_to_stream with no stream), and
    // syncs from that same integration; the run without intervention goes
    // beside it through run_both when one is given.
    using RunBoth = std::function<void(const std::function<void()>&, const std::function<void()>&)>;
    void run_without_trace(Records& records, const RunBoth& run_both = {});

    const ViewFigures& figures() const { return figures_; }
    // The no-intervention run of an intervention run (rows 0..n_steps-1).
    bool has_comparison() const { return has_comparison_; }
    const ResultTable& comparison() const { return comparison_; }
    const std::vector<ReducedPeriod>& reduced_periods() const { return reduced_; }
    // The care layer's series of the run (rows 0..n_steps), when it is on;
    // nullptr otherwise.
    const CareRun* care() const { return figures_.has_care ? &care_ : nullptr; }
    // True when step lies in a reduced period.
    bool reduced_at(int step) const;

    // The read-out's step, or -1 when none is shown.
    int read_out_step = -1;
    // The last plan search's finding, shown until the next search.
    bool has_plan_finding = false;
    PlanFinding plan_finding;
    // Observed counts shown over the chart (none by default).
    ObservedOverlay observed;
    // The ranges and the ensemble around the records' run.
    ExplorerUncertainty uncertainty;

    // How the window presents the run, and its switches as the remembered
    // settings name them.
    ViewOptions& view;
    ViewSwitches view_switches() const { return switches_; }

    // The legend's compartment lines as the last drawing placed them, in
    // device pixels from the drawing's top-left corner.
    struct LegendHit {
        int left, top, right, bottom;
        int compartment;
    };
    std::vector<LegendHit> legend_hits;
    // The chart's text beyond the classic axes' in the last drawing, which
    // places the frame.
    ChartTextExtent chart_text;
    // The compartment whose legend line holds the device point, or -1.
    int legend_compartment_at(int x, int y) const;

private:
    ViewOptions own_view_;
    std::array<ViewSwitch, VIEW_SWITCH_COUNT> switches_;

    void run_started(const Records& records, InterventionMode mode) override;
    void row(int step, double t, int on_flag, const double* y) override;
    void last_row(int step, double t, int on_flag, const double* y) override;

    // Forgets the last run's results: those of a run of mode follow.
    void start(const Records& records, InterventionMode mode, bool can_run);
    void recompute(const Records& records, bool can_run, ResultTable* table, RateConstants& rates,
                   const RunBoth& run_both);
    // The run without intervention, and beside it the scenario's run when one
    // is given (through run_both where that is worth a thread).
    void run_baseline(const Records& records, const std::function<void()>& beside,
                      const RunBoth& run_both);

    bool synced_ = false;
    bool care_enabled_ = false;  // the care layer was on at the last sync
    bool baseline_pending_ = false;
    std::unique_ptr<ExplorerSink> traced_;
    ScenarioInputs inputs_;
    CapacitySetting capacity_;
    ViewFigures figures_;
    bool has_comparison_ = false;
    ResultTable comparison_;
    std::vector<ReducedPeriod> reduced_;
    CareRun care_;
};

// While it lives, the runs the context's commands make feed the explorer:
// one pass gives their trace, table, figures and bands.
class ExplorerFedByRuns {
public:
    ExplorerFedByRuns(CommandContext& context, Explorer& explorer)
        : context_(context), previous_(context.run_observer) {
        context.run_observer = &explorer;
    }
    ~ExplorerFedByRuns() { context_.run_observer = previous_; }
    ExplorerFedByRuns(const ExplorerFedByRuns&) = delete;
    ExplorerFedByRuns& operator=(const ExplorerFedByRuns&) = delete;

private:
    CommandContext& context_;
    RunObserver* previous_;
};

// The step of the records' run nearest to the device x (the inverse of the
// chart's mapping onto a device width by height with text of cell_pixels),
// limited to the steps inside the frame; -1 when no step is shown. extent is
// the chart's text as the last drawing had it (Explorer::chart_text).
int step_at_device_x(const Records& records, int device_x, int width, int height,
                     double cell_pixels, const ChartTextExtent& extent = {});

// The rows shown: 0..min(n_steps, MAX_STEPS)-1.
int shown_rows(const Records& records);

// The steps the read-out can show on a device width by height with text of
// cell_pixels: those inside the frame, first..last (both -1 when none), and
// the steps of READ_OUT_PAGE_DAYS days, what Page Up and Page Down move.
inline constexpr double READ_OUT_PAGE_DAYS = 10.0;
struct ReadOutSteps {
    int first = -1;
    int last = -1;
    int page = 1;
};
ReadOutSteps read_out_steps(const Records& records, int width, int height, double cell_pixels,
                            const ChartTextExtent& extent = {});

// The keys that move the read-out, the same in every front end: an arrow
// moves one step, Shift with an arrow ten, Page Up and Page Down ten days
// (earlier and later), Home and End to the first and last step shown.
enum class ReadOutKey { Left, Right, ShiftLeft, ShiftRight, PageUp, PageDown, Home, End };
inline constexpr int READ_OUT_SHIFT_STEPS = 10;
// The read-out's step after key, from step (-1: none shown yet, when a key
// towards later starts at the first step and one towards earlier at the
// last), always within the steps shown; -1 when none is shown.
int read_out_step_after_key(int step, ReadOutKey key, ReadOutSteps steps);

}  // namespace morbilex
