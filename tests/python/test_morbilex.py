"""The Python module against morbilex-batch: whole traces, summaries and sweep
rows compared with the tool's own outputs, refusals in its words, Ctrl-C, and
memory under repeated calls. MORBILEX_BATCH names the tool; the module comes
from PYTHONPATH."""

import io
import os
import re
import signal
import subprocess
import sys
import textwrap

import numpy
import pandas
import pytest

import morbilex

BATCH = os.environ["MORBILEX_BATCH"]
WHOLE_OUTPUTS = os.path.join(os.path.dirname(__file__), "..", "batch", "whole_outputs.sh")


def batch(*options, cwd=None):
    done = subprocess.run([BATCH, *options], capture_output=True, cwd=cwd)
    return done.returncode, done.stdout, done.stderr.decode()


def read_csv(path_or_text):
    return pandas.read_csv(path_or_text, float_precision="round_trip")


def single_runs():
    """The single runs morbilex-batch's whole outputs cover, then random ones."""
    script = open(WHOLE_OUTPUTS).read()
    block = re.search(r"single_runs=\((.*?)\n\)", script, re.S).group(1)
    runs = []
    for line in re.findall(r'"([^"]*)"', block):
        name, *options = line.split()
        runs.append((name, [option[2:].split("=", 1) for option in options]))
    random = numpy.random.RandomState(29)
    for k in range(40):
        fields = [["mode", int(random.randint(0, 3))], ["R_0", random.uniform(0.5, 6)],
                  ["latent_period", random.uniform(0.5, 9)],
                  ["infectious_period", random.uniform(1, 12)], ["T_max", random.uniform(1, 600)],
                  ["init_I", random.uniform(0, 50)], ["Redct1", random.uniform(0, 1)],
                  ["t_srt1", random.uniform(0, 100)], ["t_stp1", random.uniform(0, 300)],
                  ["Reduction", random.uniform(0, 1)], ["On_threshold", random.uniform(1, 300)],
                  ["Off_threshold", random.uniform(0, 1)]]
        runs.append(("random%d" % k, fields))
    return runs


@pytest.mark.parametrize("name,fields", single_runs(), ids=[run[0] for run in single_runs()])
def test_single_run_equals_the_tools(name, fields, tmp_path):
    """Trace byte for byte, summary to the last digit, arrays bit for bit
    with the summary's figures; a refusal in the tool's words."""
    options = ["--%s=%s" % (field, value if isinstance(value, str) else repr(value))
               for field, value in fields]
    status, trace, error = batch(*options, "--trace=-")
    kwargs = dict(fields)
    if status in (1, 2):
        with pytest.raises((ValueError, TypeError)) as refused:
            morbilex.run(**kwargs)
        reason = error.strip().removeprefix("morbilex-batch: ")
        if status == 1:  # the option parser's own words differ (unknown field)
            assert str(refused.value) == reason
        return
    with numpy.errstate(all="ignore"):
        result = morbilex.run(**kwargs) if status == 0 else pytest.warns(
            RuntimeWarning, morbilex.run, **kwargs)
    assert result.trace().encode() == trace
    summary = tmp_path / "summary.csv"
    assert batch(*options, "--trace=/dev/null", "--summary=%s" % summary)[0] == status
    row = read_csv(summary).iloc[0]
    for column in morbilex.SUMMARY_COLUMNS:
        expected, got = row[column], result.summary[column]
        if pandas.isna(expected):
            assert got is None or numpy.isnan(got), column
        else:
            assert got == expected, column
    if status == 0:
        assert len(result.t) == len(result.S) == len(result.on_flag) == trace.count(b"\n") - 3
        assert result.S[-1] == row["final_S"] and result.R[-1] == row["final_R"]
        assert result.I.max() == row["peak_infectious"]
        assert result.t[result.I.argmax()] == row["peak_infectious_day"]


SWEEPS = [
    ({"R_0": "1:4:0.25", "mode": [0, 1, 2]}, {}),
    ({"R_0": numpy.arange(1.5, 3.01, 0.5), "Reduction": "0:1:0.25"}, {"mode": 2, "off_ratio": 0.2}),
    ({"R_0": [1e300, 1e308, 2]}, {}),
    ({"latent_period": range(1, 9, 3), "T_max": [50, 120.5]}, {"mode": 1, "Redct1": "0.25"}),
]


def sweep_options(axes, settings):
    options = []
    for name, values in axes.items():
        if isinstance(values, range):
            values = "%d:%d:%d" % (values[0], values[-1], values.step)
        elif not isinstance(values, str):
            values = ",".join(repr(float(value)) if name != "mode" else str(value)
                              for value in values)
        options.append("--sweep=%s=%s" % (name, values))
    for name, value in settings.items():
        options.append("--%s=%s" % (name.replace("_", "-") if name == "off_ratio" else name,
                                    value))
    return options


def assert_same_rows(frame, expected):
    assert list(frame.columns) == list(expected.columns)
    for column in expected.columns:
        if expected[column].dtype == object or frame[column].dtype == object:
            assert frame[column].fillna("").astype(str).tolist() == \
                expected[column].fillna("").astype(str).tolist(), column
        else:
            numpy.testing.assert_array_equal(frame[column].to_numpy(float),
                                             expected[column].to_numpy(float), err_msg=column)


@pytest.mark.parametrize("axes,settings", SWEEPS)
def test_sweep_equals_the_tools_csv(axes, settings):
    status, rows, error = batch(*sweep_options(axes, settings), "--output=-", "--jobs=2")
    assert status == 0, error
    assert_same_rows(morbilex.sweep(axes, jobs=3, **settings), read_csv(io.StringIO(rows.decode())))


def test_scenario_table_equals_the_tools(tmp_path):
    random = numpy.random.RandomState(7)
    table = pandas.DataFrame({"R_0": random.uniform(0.5, 5, 200).round(3),
                              "mode": random.randint(0, 3, 200),
                              "Reduction": ["%.2f" % value for value in random.uniform(0, 1, 200)]})
    table.loc[3, "Reduction"] = "0.5 of it"
    path = tmp_path / "table.csv"
    table.to_csv(path, index=False)
    status, rows, error = batch("--scenarios=%s" % path, "--sweep=T_max=100,300",
                                "--On_threshold=40", "--output=-")
    assert status == 0, error
    expected = read_csv(io.StringIO(rows.decode()))
    frame = morbilex.scenarios(table, axes={"T_max": [100, 300]}, On_threshold=40)
    assert_same_rows(frame, expected)
    as_dict = morbilex.scenarios({name: table[name].to_numpy() for name in table}, jobs=1)
    assert len(as_dict) == 200 and as_dict["peak_infectious"].iloc[3] > 0


@pytest.mark.parametrize("options,call", [
    (["--sweep=R_0=1:2:0"], lambda: morbilex.sweep({"R_0": "1:2:0"})),
    (["--sweep=latent_period=1,0"], lambda: morbilex.sweep({"latent_period": [1, 0]})),
    (["--sweep=R_0=1,nan"], lambda: morbilex.sweep({"R_0": numpy.array([1, numpy.nan])})),
    (["--sweep=R_0=1,2", "--latent_period=0"],
     lambda: morbilex.sweep({"R_0": [1, 2]}, latent_period=0)),
    (["--sweep=R_0=1,2", "--mode=2", "--off-ratio=1e308", "--On_threshold=1e10"],
     lambda: morbilex.sweep({"R_0": [1, 2]}, mode=2, off_ratio=1e308, On_threshold=1e10)),
    (["--sweep=R_0=1,2", "--R_0=3"], lambda: morbilex.sweep({"R_0": [1, 2]}, R_0=3)),
])
def test_sweep_refusals_say_why_as_the_tool(options, call):
    """The reason after the option's name is the tool's, word for word."""
    status, _, error = batch(*options, "--output=/dev/null")
    assert status != 0
    with pytest.raises(ValueError) as refused:
        call()
    tail = lambda text: re.sub(r"^(--sweep=\S+?: |sweep \w+: |--off-ratio=\S+ |off_ratio )", "",
                               text.strip().removeprefix("morbilex-batch: "))
    assert tail(str(refused.value)).replace("--", "") == tail(error).replace("--", "")


def test_scenario_files_round_trip_with_the_tool(tmp_path):
    written = morbilex.write_scenario(tmp_path / "plan", mode=2, R_0="3.25", On_threshold=12.5)
    assert written.endswith("plan.morbilex")
    read = morbilex.read_scenario(written)
    assert read["mode"] == 2 and read["R_0"] == 3.25 and read["On_threshold"] == 12.5
    mine = morbilex.run(scenario=written, Reduction=0.4)
    assert mine.trace().encode() == batch("--scenario=" + written, "--Reduction=0.4")[1]
    again = morbilex.write_scenario(tmp_path / "again.morbilex", **mine.inputs, mode=mine.mode)
    assert morbilex.run(**morbilex.read_scenario(again)).trace() == mine.trace()
    with pytest.raises(ValueError, match="latent_period"):
        morbilex.write_scenario(tmp_path / "bad", latent_period=-1)
    (tmp_path / "broken.morbilex").write_text("R_0 = 3\nfrobnicate = 1\n")
    with pytest.raises(ValueError, match="frobnicate"):
        morbilex.read_scenario(tmp_path / "broken.morbilex")


def test_ctrl_c_stops_a_sweep():
    """A sweep far too long to finish stops on SIGINT with KeyboardInterrupt."""
    child = subprocess.Popen([sys.executable, "-c", textwrap.dedent("""
        import os, sys, morbilex
        print(len(os.listdir("/proc/self/task")), flush=True)
        try:
            morbilex.sweep({"R_0": "1:100:0.000001", "T_max": [10000]}, jobs=1)
        except KeyboardInterrupt:
            print("interrupted", flush=True)
            sys.exit(0)
        sys.exit(1)
    """)], stdout=subprocess.PIPE, text=True, env=os.environ)
    threads = int(child.stdout.readline())
    # The sweep runs on a thread of its own: signalled once that is there.
    while len(os.listdir("/proc/%d/task" % child.pid)) <= threads:
        os.sched_yield()
    child.send_signal(signal.SIGINT)
    # A sweep that went on would take hours: the bound only turns that into a failure.
    assert child.communicate(timeout=600)[0] == "interrupted\n"
    assert child.returncode == 0


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def test_repeated_calls_keep_no_memory():
    def calls():
        for _ in range(300):
            morbilex.run(mode=1, T_max=2000).trace()
        for _ in range(5):
            morbilex.sweep({"R_0": numpy.linspace(1, 3, 2000)}, jobs=2)
        with pytest.raises(ValueError):
            morbilex.run(R_0="no")
    calls()
    before = resident_bytes()
    calls()
    # A run holds about a megabyte: a leak of any part of it grows by hundreds.
    assert resident_bytes() - before < 40 * 2**20


def test_rows_without_pandas_are_the_same_arrays(monkeypatch):
    axes = {"R_0": [1.5, 2.5, 1e308], "mode": [0, 2]}
    frame = morbilex.sweep(axes, Reduction="0.5")
    monkeypatch.setitem(sys.modules, "pandas", None)  # import pandas fails
    arrays = morbilex.sweep(axes, Reduction="0.5")
    assert isinstance(arrays, dict) and list(arrays) == list(frame.columns)
    assert_same_rows(frame, pandas.DataFrame(arrays))
