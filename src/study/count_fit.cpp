#include "study/count_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "study/sample_sequence.h"

namespace morbilex {
namespace {

constexpr double INFINITE = std::numeric_limits<double>::infinity();

template <double ModelParameters::*Member>
constexpr FitField model_field(const char* name, double low, double high) {
    return {name,
            low,
            high,
            MODE_NO_INTERVENTION,
            [](const CountModel& m) { return m.scenario.model.*Member; },
            [](CountModel& m, double value) { m.scenario.model.*Member = value; }};
}

template <double OneTimePlan::*Member>
constexpr FitField window_field(const char* name, double low, double high) {
    return {name,
            low,
            high,
            MODE_ONE_TIME,
            [](const CountModel& m) { return m.scenario.one_time.*Member; },
            [](CountModel& m, double value) { m.scenario.one_time.*Member = value; }};
}

constexpr FitField FIELDS[] = {
    model_field<&ModelParameters::R_0>("R_0", 0.5, 20.0),
    model_field<&ModelParameters::latent_period>("latent_period", 0.25, 20.0),
    model_field<&ModelParameters::infectious_period>("infectious_period", 0.25, 20.0),
    model_field<&ModelParameters::init_E>("init_E", 0.0, 100.0),
    model_field<&ModelParameters::init_I>("init_I", 0.0, 100.0),
    {"reporting", 0.01, 1.0, MODE_NO_INTERVENTION,
     [](const CountModel& m) { return m.observation.reporting; },
     [](CountModel& m, double value) { m.observation.reporting = value; }},
    window_field<&OneTimePlan::Redct1>("Redct1", 0.0, 1.0),
    window_field<&OneTimePlan::t_srt1>("t_srt1", 0.0, 365.0),
    window_field<&OneTimePlan::t_stp1>("t_stp1", 0.0, 365.0),
    window_field<&OneTimePlan::Redct2>("Redct2", 0.0, 1.0),
    window_field<&OneTimePlan::t_srt2>("t_srt2", 0.0, 365.0),
    window_field<&OneTimePlan::t_stp2>("t_stp2", 0.0, 365.0),
    window_field<&OneTimePlan::Redct3>("Redct3", 0.0, 1.0),
    window_field<&OneTimePlan::t_srt3>("t_srt3", 0.0, 365.0),
    window_field<&OneTimePlan::t_stp3>("t_stp3", 0.0, 365.0),
};

int row_of_day(double day, double dt) {
    return static_cast<int>(std::nearbyint(day / dt));
}

// The rows a series reads, and for each point the row of its day and of the
// day before it (for incidence), as indices into the rows.
struct SeriesRows {
    std::vector<int> rows;
    std::vector<int> at, before;
};

SeriesRows series_rows(const ObservedCounts& counts, double dt) {
    SeriesRows series;
    std::vector<int> wanted{0};
    for (const ObservedPoint& point : counts.points) {
        wanted.push_back(row_of_day(point.day, dt));
        wanted.push_back(row_of_day(std::max(point.day - 1.0, 0.0), dt));
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    series.rows = wanted;
    const auto index_of = [&wanted](int row) {
        return static_cast<int>(std::lower_bound(wanted.begin(), wanted.end(), row) -
                                wanted.begin());
    };
    for (const ObservedPoint& point : counts.points) {
        series.at.push_back(index_of(row_of_day(point.day, dt)));
        series.before.push_back(index_of(row_of_day(std::max(point.day - 1.0, 0.0), dt)));
    }
    return series;
}

// Keeps I and I + R of every lane at the rows a series reads. The flow from
// E to I since row 0 is the rise of I + R: the model's I and R gain exactly
// what leaves E, and the Runge-Kutta steps keep that sum's balance.
struct RowCatcher {
    const std::vector<int>* rows;
    int lanes;
    std::size_t next = 0;
    std::vector<LaneValues> infectious, onset_total;

    static void observe(void* context, int step, const LaneStepState& state) {
        auto& catcher = *static_cast<RowCatcher*>(context);
        if (catcher.next >= catcher.rows->size() || (*catcher.rows)[catcher.next] != step) return;
        LaneValues& infectious = catcher.infectious[catcher.next];
        LaneValues& total = catcher.onset_total[catcher.next];
        for (int lane = 0; lane < catcher.lanes; ++lane) {
            infectious.lane[lane] = state.y[2].lane[lane];
            total.lane[lane] = state.y[2].lane[lane] + state.y[3].lane[lane];
        }
        ++catcher.next;
    }
};

double expected_of(const CountModel& model, double per_ten_thousand) {
    const CountObservation& o = model.observation;
    return (per_ten_thousand * (o.population / POPULATION_BASE)) * o.reporting;
}

// The search works in the unit cube: coordinate u of a field is
// low + u * (high - low).
class FitProblem {
public:
    FitProblem(const CountModel& start, const ObservedCounts& counts, const FitRequest& request)
        : start_(start), counts_(counts), request_(request), kernel_(widest_lane_kernel()) {}

    std::size_t dimensions() const { return request_.fields.size(); }

    CountModel model_at(std::span<const double> unit) const {
        CountModel model = start_;
        for (std::size_t d = 0; d < unit.size(); ++d) {
            const FitField& field = *request_.fields[d];
            field.set(model, field.low + unit[d] * (field.high - field.low));
        }
        settle_initial_susceptible(model.scenario.model);
        return model;
    }

    // The objective at each point (dimensions() coordinates a point).
    std::vector<double> objectives(std::span<const double> points) {
        const std::size_t p = dimensions();
        const std::size_t count = points.size() / p;
        std::vector<CountModel> models;
        models.reserve(count);
        for (std::size_t k = 0; k < count; ++k)
            models.push_back(model_at(points.subspan(k * p, p)));
        std::vector<double> expected;
        expected_counts(kernel_, models, counts_, expected);
        runs_ += static_cast<long long>(count);
        const std::size_t n = counts_.points.size();
        std::vector<double> values(count);
        for (std::size_t k = 0; k < count; ++k) {
            const double value = fit_objective_value(
                request_.objective, counts_, std::span<const double>(expected).subspan(k * n, n));
            values[k] = std::isnan(value) ? INFINITE : value;
        }
        return values;
    }

    long long runs() const { return runs_; }

private:
    const CountModel& start_;
    const ObservedCounts& counts_;
    const FitRequest& request_;
    const LaneKernel& kernel_;
    long long runs_ = 0;
};

double clamp_unit(double u) {
    return u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u);
}

// A Nelder-Mead search in the unit cube over the free coordinates of x (the
// others held), the trial points of a step evaluated together on the lanes.
struct Simplex {
    std::vector<std::vector<double>> vertices;
    std::vector<double> values;
};

double minimise(FitProblem& problem, std::vector<double>& x, const std::vector<bool>& free,
                double tolerance, int iteration_limit) {
    const std::size_t p = x.size();
    std::vector<std::size_t> axes;
    for (std::size_t d = 0; d < p; ++d)
        if (free[d]) axes.push_back(d);
    if (axes.empty()) return problem.objectives(x)[0];

    const auto evaluate = [&problem](const std::vector<std::vector<double>>& points) {
        std::vector<double> flat;
        for (const auto& point : points)
            flat.insert(flat.end(), point.begin(), point.end());
        return problem.objectives(flat);
    };

    Simplex s;
    s.vertices.push_back(x);
    for (std::size_t axis : axes) {
        std::vector<double> vertex = x;
        vertex[axis] = x[axis] + 0.05 <= 1.0 ? x[axis] + 0.05 : x[axis] - 0.05;
        s.vertices.push_back(vertex);
    }
    s.values = evaluate(s.vertices);
    const std::size_t m = s.vertices.size();

    for (int iteration = 0; iteration < iteration_limit; ++iteration) {
        // Best first; ties keep their order.
        std::vector<std::size_t> order(m);
        for (std::size_t i = 0; i < m; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&s](std::size_t a, std::size_t b) { return s.values[a] < s.values[b]; });
        Simplex sorted;
        for (std::size_t i : order) {
            sorted.vertices.push_back(s.vertices[i]);
            sorted.values.push_back(s.values[i]);
        }
        s = std::move(sorted);

        double spread = 0.0;
        for (std::size_t i = 1; i < m; ++i)
            for (std::size_t axis : axes)
                spread = std::max(spread, std::fabs(s.vertices[i][axis] - s.vertices[0][axis]));
        if (spread <= tolerance) break;

        std::vector<double> centroid(p, 0.0);
        for (std::size_t i = 0; i + 1 < m; ++i)
            for (std::size_t d = 0; d < p; ++d)
                centroid[d] += s.vertices[i][d];
        for (std::size_t d = 0; d < p; ++d)
            centroid[d] = free[d] ? centroid[d] / static_cast<double>(m - 1) : x[d];

        const std::vector<double>& worst = s.vertices[m - 1];
        const auto toward = [&](double factor) {
            std::vector<double> point = centroid;
            for (std::size_t axis : axes)
                point[axis] = clamp_unit(centroid[axis] + factor * (centroid[axis] - worst[axis]));
            return point;
        };
        const std::vector<std::vector<double>> trials = {toward(1.0), toward(2.0), toward(0.5),
                                                         toward(-0.5)};
        const std::vector<double> f = evaluate(trials);
        const double best = s.values[0], second_worst = s.values[m - 2],
                     worst_value = s.values[m - 1];
        int accepted = -1;
        if (f[0] < best) {
            accepted = f[1] < f[0] ? 1 : 0;
        } else if (f[0] < second_worst) {
            accepted = 0;
        } else if (f[0] < worst_value) {
            if (f[2] <= f[0]) accepted = 2;
        } else if (f[3] < worst_value) {
            accepted = 3;
        }
        if (accepted >= 0) {
            s.vertices[m - 1] = trials[accepted];
            s.values[m - 1] = f[accepted];
            continue;
        }
        // Shrink towards the best vertex.
        std::vector<std::vector<double>> shrunk;
        for (std::size_t i = 1; i < m; ++i) {
            std::vector<double> point = s.vertices[i];
            for (std::size_t axis : axes)
                point[axis] = s.vertices[0][axis] + 0.5 * (point[axis] - s.vertices[0][axis]);
            shrunk.push_back(point);
        }
        const std::vector<double> g = evaluate(shrunk);
        for (std::size_t i = 1; i < m; ++i) {
            s.vertices[i] = shrunk[i - 1];
            s.values[i] = g[i - 1];
        }
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < m; ++i)
        if (s.values[i] < s.values[best]) best = i;
    x = s.vertices[best];
    return s.values[best];
}

// Nelder-Mead again from its own end until it finds nothing better.
double polish(FitProblem& problem, std::vector<double>& x, const std::vector<bool>& free,
              double tolerance) {
    double value = minimise(problem, x, free, tolerance, 4000);
    for (int restart = 0; restart < 4; ++restart) {
        std::vector<double> again = x;
        const double next = minimise(problem, again, free, tolerance, 4000);
        if (!(next < value)) break;
        value = next;
        x = again;
    }
    return value;
}

}  // namespace

bool fit_objective_named(std::string_view name, FitObjective& objective) {
    if (name == "least-squares") {
        objective = FitObjective::LeastSquares;
    } else if (name == "poisson") {
        objective = FitObjective::PoissonDeviance;
    } else {
        return false;
    }
    return true;
}

const char* fit_objective_name(FitObjective objective) {
    return objective == FitObjective::PoissonDeviance ? "poisson" : "least-squares";
}

std::span<const FitField> fit_fields() {
    return FIELDS;
}

const FitField* find_fit_field(std::string_view name) {
    for (const FitField& field : FIELDS)
        if (name == field.name) return &field;
    return nullptr;
}

void settle_initial_susceptible(ModelParameters& m) {
    m.init_S = ((POPULATION_BASE - m.init_E) - m.init_I) - m.init_R;
}

bool counts_within_run(const ScenarioInputs& scenario, const ObservedCounts& counts,
                       std::string& reason) {
    const ModelParameters& m = scenario.model;
    if (counts.points.empty()) {
        reason = "there are no counts";
        return false;
    }
    const double last_day = counts.points.back().day;
    if (row_of_day(last_day, m.dt) <= std::max(m.n_steps, 0)) return true;
    reason = "the counts reach day " + std::to_string(static_cast<long long>(std::ceil(last_day))) +
             ", past the run's last day";
    return false;
}

void expected_counts(const LaneKernel& kernel, std::span<const CountModel> models,
                     const ObservedCounts& counts, std::vector<double>& expected) {
    const std::size_t n = counts.points.size();
    expected.assign(models.size() * n, 0.0);
    if (models.empty()) return;
    const ScenarioInputs& first = models[0].scenario;
    const SeriesRows series = series_rows(counts, first.model.dt);
    const CountMeasure measure = models[0].observation.measure;
    for (std::size_t begin = 0; begin < models.size(); begin += kernel.lanes) {
        const std::size_t end = std::min(models.size(), begin + kernel.lanes);
        LaneBatch batch;
        batch.mode = lane_mode(first);
        batch.steps = series.rows.back();
        for (int lane = 0; lane < kernel.lanes; ++lane) {
            const std::size_t k = begin + lane < end ? begin + lane : begin;
            set_lane(batch, lane, models[k].scenario);
        }
        RowCatcher catcher{&series.rows, kernel.lanes, 0,
                           std::vector<LaneValues>(series.rows.size()),
                           std::vector<LaneValues>(series.rows.size())};
        const LaneObserver observer{RowCatcher::observe, &catcher};
        LaneFigures figures;
        kernel.integrate(batch, figures, &observer);
        for (std::size_t k = begin; k < end; ++k) {
            const int lane = static_cast<int>(k - begin);
            const double start_total = catcher.onset_total[0].lane[lane];
            for (std::size_t i = 0; i < n; ++i) {
                const double total = catcher.onset_total[series.at[i]].lane[lane];
                double value = catcher.infectious[series.at[i]].lane[lane];
                if (measure == CountMeasure::Cumulative) {
                    value = total - start_total;
                } else if (measure == CountMeasure::Incidence) {
                    value = total - catcher.onset_total[series.before[i]].lane[lane];
                }
                expected[k * n + i] = expected_of(models[k], value);
            }
        }
    }
}

double fit_objective_value(FitObjective objective, const ObservedCounts& counts,
                           std::span<const double> expected) {
    double sum = 0.0;
    for (std::size_t i = 0; i < counts.points.size(); ++i) {
        const double y = counts.points[i].count, mu = expected[i];
        if (objective == FitObjective::LeastSquares) {
            sum += (y - mu) * (y - mu);
        } else if (mu > 0.0) {
            sum += 2.0 * ((y > 0.0 ? y * std::log(y / mu) : 0.0) - (y - mu));
        } else if (y > 0.0) {
            return INFINITE;
        }
    }
    return sum;
}

double root_mean_square_error(const ObservedCounts& counts, std::span<const double> expected) {
    const double sse = fit_objective_value(FitObjective::LeastSquares, counts, expected);
    return std::sqrt(sse / static_cast<double>(counts.points.size()));
}

bool fit_counts(const CountModel& start, const ObservedCounts& counts, const FitRequest& request,
                CountFit& fit, std::string& reason) {
    if (request.fields.empty()) {
        reason = "no field to fit";
        return false;
    }
    for (std::size_t d = 0; d < request.fields.size(); ++d) {
        const FitField& field = *request.fields[d];
        for (std::size_t e = 0; e < d; ++e) {
            if (request.fields[e] == &field) {
                reason = std::string(field.name) + " is named twice";
                return false;
            }
        }
        if (field.only_in_mode != MODE_NO_INTERVENTION &&
            start.scenario.mode != field.only_in_mode) {
            reason = std::string(field.name) + " acts only in mode " +
                     std::to_string(field.only_in_mode);
            return false;
        }
    }
    if (!counts_within_run(start.scenario, counts, reason)) return false;

    FitProblem problem(start, counts, request);
    const std::size_t p = problem.dimensions();
    const std::vector<bool> all_free(p, true);

    // The starts: points of the sequence, evaluated together.
    const SampleSequence sequence(static_cast<int>(p));
    const std::size_t start_count = 64 * p;
    std::vector<double> points(start_count * p);
    for (std::size_t k = 0; k < start_count; ++k)
        sequence.point(k, std::span<double>(points).subspan(k * p, p));
    const std::vector<double> start_values = problem.objectives(points);
    std::vector<std::size_t> order(start_count);
    for (std::size_t k = 0; k < start_count; ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&start_values](std::size_t a, std::size_t b) {
        return start_values[a] < start_values[b];
    });

    // The best few starts polished; the lowest end wins, the earlier on a tie.
    std::vector<double> best;
    double best_value = INFINITE;
    for (std::size_t k = 0; k < std::min<std::size_t>(3, start_count); ++k) {
        std::vector<double> x(points.begin() + order[k] * p, points.begin() + (order[k] + 1) * p);
        const double value = polish(problem, x, all_free, 1e-10);
        if (best.empty() || value < best_value) {
            best = x;
            best_value = value;
        }
    }
    if (!std::isfinite(best_value)) {
        reason = "no scenario within the fields' ranges gives the counts";
        return false;
    }

    // Profiles: each field moved towards either end of its range with the
    // others fitted again, until the objective passes the 95 % threshold.
    const double n = static_cast<double>(counts.points.size());
    const double threshold = request.objective == FitObjective::LeastSquares
                                 ? best_value * std::exp(3.84 / n)
                                 : best_value + 3.84;
    fit.fields.clear();
    for (std::size_t d = 0; d < p; ++d) {
        std::vector<bool> others(p, true);
        others[d] = false;
        const FitField& field = *request.fields[d];
        const auto profile = [&](double u, std::vector<double>& warm) {
            std::vector<double> x = warm;
            x[d] = u;
            const double value = polish(problem, x, others, 1e-8);
            if (value <= threshold) warm = x;
            return value;
        };
        double ends[2];
        for (int side = 0; side < 2; ++side) {
            std::vector<double> warm = best;
            const double bound = side == 0 ? 0.0 : 1.0;
            double inside = best[d], outside = bound;
            if (profile(bound, warm) <= threshold) {
                inside = bound;
            } else {
                for (int halving = 0; halving < 30; ++halving) {
                    const double middle = 0.5 * (inside + outside);
                    (profile(middle, warm) <= threshold ? inside : outside) = middle;
                }
            }
            ends[side] = field.low + inside * (field.high - field.low);
        }
        fit.fields.push_back(
            {field.name, field.low + best[d] * (field.high - field.low), ends[0], ends[1]});
    }

    fit.model = problem.model_at(best);
    fit.objective = best_value;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&fit.model, 1), counts,
                    fit.expected);
    fit.rmse = root_mean_square_error(counts, fit.expected);
    const RunFigures next = integrate_run_figures(fit.model.scenario);
    const double scale = fit.model.observation.population / POPULATION_BASE;
    fit.peak_infectious = next.peak_infectious * scale;
    fit.peak_day = next.peak_infectious_row * fit.model.scenario.model.dt;
    fit.final_size = (POPULATION_BASE - next.final_S) * scale;
    fit.runs = problem.runs() + 2;
    return true;
}

}  // namespace morbilex
