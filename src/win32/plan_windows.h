// The Windows program's windows for plans and data: the capacity dialog, the
// window of a found plan with its front, the counts file to open and the
// choice of the fields to fit.
#pragma once

#include <windows.h>

#include <string>

#include "explore/count_fit_command.h"
#include "explore/plan_finder.h"
#include "model/records.h"

namespace morbilex {

// Posted to the main window by the plan window: load plan wParam of the front.
inline constexpr UINT LOAD_FOUND_PLAN_MESSAGE = WM_APP + 16;

inline constexpr const char* CAPACITY_CAPTION = "Capacity";
inline constexpr const char* PLAN_WINDOW_CAPTION = "Find a plan";

// Control ids of these windows.
inline constexpr int CAPACITY_ON_ID = 1601;
inline constexpr int CAPACITY_VALUE_ID = 1602;
inline constexpr int CAPACITY_SERIES_ID = 1603;
inline constexpr int PLAN_LINES_ID = 1610;
inline constexpr int PLAN_LOAD_ID = 1611;
inline constexpr int PLAN_FRONT_ID = 1612;
inline constexpr int FIT_LEAST_SQUARES_ID = 1620;
inline constexpr int FIT_POISSON_ID = 1621;
inline constexpr int FIT_FIRST_FIELD_ID = 1630;  // one checkbox a field of fit_fields()
inline constexpr int COUNTS_COLUMN_ID = 1660;
inline constexpr int COUNTS_MEASURE_ID = 1661;
inline constexpr int COUNTS_POPULATION_ID = 1662;
inline constexpr int COUNTS_REPORTING_ID = 1663;
inline constexpr int COUNTS_DAY_ZERO_ID = 1664;

// Capacity: on or off, persons per 10K, the series held against it; false
// when the user cancels.
bool ask_capacity_dialog(HWND owner, CapacitySetting& capacity);

// The fields to fit (a checkbox each) and the objective.
Asked ask_fit_choice_dialog(HWND owner, FitChoice& choice);

// How a counts file just chosen is read: its count column, what the counts
// measure, the population, the reporting fraction, the date of day 0.
Asked ask_counts_choice_dialog(HWND owner, CountsChoice& choice);

// The platform's open dialog for a CSV file of counts; empty when cancelled.
std::string choose_counts_file(HWND owner);

bool register_plan_window_classes(HINSTANCE instance);
// Shows the finding in the plan window (made at the first finding, shown
// anew after); window is the main window, which loads a plan when the
// window asks. Returns the plan window.
HWND show_plan_window(HWND window, HWND plan_window, const PlanFinding& finding);

}  // namespace morbilex
