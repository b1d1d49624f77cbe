#include "batch/options/array_task.h"

#include <cstdlib>
#include <string_view>
#include <utility>

#include "text/whole_number.h"

namespace morbilex::batch {
namespace {

// One batch system's names for a task's index and its array's range.
struct ArrayVariables {
    const char* system;
    const char* id;
    const char* first;
    const char* last;
    const char* step;   // 1 when the variable is missing
    const char* count;  // nullptr: not given; checked against the range when there
};

constexpr ArrayVariables SYSTEMS[] = {
    {"Slurm", "SLURM_ARRAY_TASK_ID", "SLURM_ARRAY_TASK_MIN", "SLURM_ARRAY_TASK_MAX",
     "SLURM_ARRAY_TASK_STEP", "SLURM_ARRAY_TASK_COUNT"},
    {"Grid Engine", "SGE_TASK_ID", "SGE_TASK_FIRST", "SGE_TASK_LAST", "SGE_TASK_STEPSIZE", nullptr},
};

// Variables of batch systems that number a task without telling the array's range.
constexpr const char* INDEX_ONLY[] = {"PBS_ARRAY_INDEX", "PBS_ARRAYID", "LSB_JOBINDEX"};

bool refuse(std::string& error, const std::string& option, const std::string& reason) {
    error = option + ": " + reason;
    return false;
}

// A variable holding a whole number (Grid Engine writes "undefined" outside arrays).
bool read_whole(const char* name, long long& value) {
    const char* text = std::getenv(name);
    if (text == nullptr) return false;
    return read_whole_number(text, value) == WholeNumberReading::Read;
}

std::string shown(const char* name) {
    const char* text = std::getenv(name);
    std::string shown_text = name;
    if (text == nullptr) {
        shown_text += " is not set";
    } else {
        shown_text += '=';
        shown_text += text;
    }
    return shown_text;
}

bool shard_of(const ArrayVariables& system, const std::string& option, Shard& shard,
              LoneArrayTask& lone, std::string& error) {
    const std::string from = " (" + std::string(system.system) + ")";
    long long id = 0, first = 0, last = 0, step = 1, count = 0;
    const std::pair<const char*, long long*> needed[] = {
        {system.id, &id}, {system.first, &first}, {system.last, &last}};
    for (const auto& [name, value] : needed) {
        if (!read_whole(name, *value)) {
            return refuse(error, option, shown(name) + ": a whole number is needed" + from);
        }
    }
    if (std::getenv(system.step) != nullptr && (!read_whole(system.step, step) || step < 1)) {
        return refuse(error, option, shown(system.step) + ": a step of 1 or more is needed" + from);
    }
    const std::string range = std::string(system.first) + ".." + system.last + " by " +
                              system.step + " = " + std::to_string(first) + ".." +
                              std::to_string(last) + " by " + std::to_string(step);
    if (first < 1 || last < first || (last - first) % step != 0 || id < first || id > last ||
        (id - first) % step != 0) {
        return refuse(error, option,
                      shown(system.id) + " is not a task of the range " + range + from);
    }
    shard.index = (id - first) / step + 1;
    shard.count = (last - first) / step + 1;
    if (first == last && id > 1) {
        lone.index = id;
        lone.reason = shown(system.id) + " is the only task of its array (" + shown(system.first) +
                      ", " + shown(system.last) +
                      "): a task run again by itself keeps its index, " +
                      "but not the count of its array" + from;
    }
    if (system.count != nullptr && std::getenv(system.count) != nullptr &&
        (!read_whole(system.count, count) || count != shard.count)) {
        return refuse(error, option,
                      shown(system.count) + " where the range " + range + " holds " +
                          std::to_string(shard.count) +
                          " tasks: the array is a list, not a range a-b or a-b:step; give "
                          "--shard=K/N" +
                          from);
    }
    return true;
}

}  // namespace

bool shard_of_array_task(const std::string& option, Shard& shard, LoneArrayTask& lone,
                         std::string& error) {
    lone = {};
    for (const ArrayVariables& system : SYSTEMS) {
        const char* id = std::getenv(system.id);
        if (id != nullptr && std::string_view(id) != "undefined") {
            return shard_of(system, option, shard, lone, error);
        }
    }
    for (const char* name : INDEX_ONLY) {
        const char* index = std::getenv(name);
        if (index != nullptr && std::string_view(index) != "0") {  // LSF: 0 outside arrays
            return refuse(error, option,
                          shown(name) +
                              " numbers the task but its batch system does not tell "
                              "the array's range; give --shard=K/N");
        }
    }
    return refuse(error, option,
                  "no job array task in the environment (SLURM_ARRAY_TASK_ID or SGE_TASK_ID); "
                  "give --shard=K/N");
}

}  // namespace morbilex::batch
