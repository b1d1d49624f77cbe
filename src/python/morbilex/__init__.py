"""Morbilex from Python: the deterministic SEIR model with interventions.

Fields take the names of morbilex-batch's options (``R_0``, ``T_max``,
``Redct1``, ``On_threshold``, ...) and are typed into the program's dialogs
exactly as there: a number is typed as its shortest text, a text as it is
("3 days" is 3). A refused field raises ``ValueError`` with morbilex-batch's
words.

    >>> import morbilex
    >>> result = morbilex.run(mode=1, R_0=3.0, Redct1=0.5)
    >>> result.summary["peak_infectious"]            # doctest: +SKIP
    >>> rows = morbilex.sweep({"R_0": numpy.linspace(1, 4, 31)}, mode=0)

``run`` gives one run's arrays, summary and trace; ``sweep`` and
``scenarios`` run many scenarios on the lane kernel and give their summary
rows, equal to morbilex-batch's CSV; ``read_scenario`` and ``write_scenario``
read and write the programs' scenario files (.morbilex).
"""

import os
import warnings

import numpy

from . import _core

__all__ = ["Run", "run", "sweep", "scenarios", "read_scenario", "write_scenario",
           "SUMMARY_COLUMNS"]

#: The columns of a run's summary, in morbilex-batch's order.
SUMMARY_COLUMNS = tuple(_core.SUMMARY_COLUMNS)

# Summary columns that count: whole numbers when no row leaves them empty.
_COUNT_COLUMNS = ("mode", "switches_on")


class Run:
    """One run of the model.

    Attributes:
        t, S, E, I, R: NumPy arrays (float64) of every row of the run, the
            time in days and the compartments in persons per 10,000; the
            last row is the state after the last step.
        on_flag: NumPy array (int32), 1 where the reduction is in force.
        summary: dict of the run's figures, the columns of morbilex-batch's
            ``--summary=FILE.csv`` (None where that leaves a cell empty).
        inputs: dict of every field's value after the dialogs' repairs;
            ``write_scenario(path, **run.inputs, mode=run.mode)`` saves them.
        mode: 0 (no intervention), 1 (one-time) or 2 (intermittent).
    """

    def __init__(self, result):
        self.t = result["t"]
        self.S = result["S"]
        self.E = result["E"]
        self.I = result["I"]  # noqa: E741 (the compartment's own name)
        self.R = result["R"]
        self.on_flag = result["on_flag"]
        self.summary = result["summary"]
        self.inputs = result["inputs"]
        self.mode = result["mode"]
        self._trace = result["trace"]

    def trace(self):
        """The run's trace as text, byte for byte what morbilex-batch writes."""
        return self._trace.decode("ascii")

    def __len__(self):
        return len(self.t)

    def __repr__(self):
        return "<morbilex.Run mode=%d rows=%d peak_infectious=%r>" % (
            self.mode, len(self.t), self.summary.get("peak_infectious"))


def _fields(fields):
    return [(name, value) for name, value in fields.items()]


def run(mode=None, scenario=None, **fields):
    """Runs the model once and returns a :class:`Run`.

    Args:
        mode: 0 (no intervention, the default), 1 (one-time) or 2
            (intermittent); with ``scenario``, the file's mode by default.
        scenario: path of a scenario file (.morbilex) whose fields are typed
            first, as morbilex-batch's ``--scenario``; ``fields`` type over it.
        **fields: the dialogs' fields by their option names, as numbers or
            texts, e.g. ``R_0=3``, ``T_max="200"``, ``Redct1=0.5``.

    Raises:
        ValueError: a field refused, or a run the model cannot integrate, in
            morbilex-batch's words (``--R_0=x refused: ...``).

    A run whose values overflow still returns, with ``summary["status"]``
    saying so and a ``RuntimeWarning`` naming the first such day.
    """
    result = _core.run(_fields(fields), mode, _path(scenario))
    if result["warning"] is not None:
        warnings.warn(result["warning"], RuntimeWarning, stacklevel=2)
    return Run(result)


def _path(path):
    return "" if path is None else os.fspath(path)


def _axis_text(name, values):
    """What morbilex-batch's --sweep=NAME= takes for these values."""
    if isinstance(values, str):
        return values
    if isinstance(values, range):
        if len(values) == 0:
            raise ValueError("sweep %s: the range is empty" % name)
        return "%d:%d:%d" % (values[0], values[-1], values.step)
    array = numpy.asarray(values, dtype=float).ravel()
    if array.size == 0:
        raise ValueError("sweep %s: no values" % name)
    return ",".join(_core.shortest_text(value) for value in array.tolist())


def _jobs(jobs):
    try:
        cpus = len(os.sched_getaffinity(0))
    except AttributeError:
        cpus = os.cpu_count() or 1
    if jobs is None:
        return cpus
    # Each thread holds its own stack and lanes: far more threads than CPUs
    # only cost memory.
    if not 1 <= int(jobs) <= 4 * cpus:
        raise ValueError("jobs: the number of threads is 1 to %d (4 x the CPUs this process "
                         "may run on: %d)" % (4 * cpus, cpus))
    return int(jobs)


def _rows(columns, table_columns):
    """The sweep's columns in morbilex-batch's CSV order, as a DataFrame when
    pandas imports, else as a dict of NumPy arrays."""
    figures, warning = columns
    if warning is not None:
        warnings.warn(warning, UserWarning, stacklevel=3)
    ordered = {"run_id": figures.pop("run_id").astype(numpy.int64)}
    for name, values in table_columns:
        # Every row of the table takes every point of the axes.
        ordered["swept_" + name] = numpy.repeat(values, len(ordered["run_id"]) // len(values))
    for name, values in figures.items():
        if isinstance(values, list):
            values = numpy.array(values, dtype=object)
        elif (name in _COUNT_COLUMNS or name == "swept_mode") and not numpy.isnan(values).any():
            values = values.astype(numpy.int64)
        ordered[name] = values
    try:
        import pandas
    except ImportError:
        return ordered
    return pandas.DataFrame(ordered, copy=False)


def sweep(axes, mode=None, jobs=None, off_ratio=None, scenario=None, **fields):
    """Runs every combination of the axes' values on the lanes.

    Args:
        axes: dict of field name (or ``"mode"``) to its values: a NumPy array
            or list of numbers, a ``range``, or a text as morbilex-batch's
            ``--sweep=NAME=`` takes it (``"1:4:0.5"``, ``"1,2,3"``). The first
            axis varies slowest; run_id counts the scenarios from 1.
        mode: the mode of every scenario (default 0) when it is not swept.
        jobs: threads (default: one for each CPU this process may use); the
            rows are the same for any number.
        off_ratio: ``Off_threshold = off_ratio x On_threshold`` in every scenario.
        scenario: a scenario file typed first, as ``run``'s.
        **fields: the other fields of every scenario.

    Returns:
        The summary rows (one a scenario, morbilex-batch's CSV columns: run_id,
        swept_NAME..., then the summary) as a pandas DataFrame, or a dict of
        NumPy arrays when pandas is not installed. Each number equals the one
        morbilex-batch writes, to the last digit.

    Raises:
        ValueError: a field or scenario refused, in morbilex-batch's words.
        KeyboardInterrupt: Ctrl-C; the sweep stops and nothing is returned.

    The GIL is released while the scenarios run.
    """
    return _sweep(axes, [], mode, jobs, off_ratio, scenario, fields)


def _sweep(axes, table, mode, jobs, off_ratio, scenario, fields):
    axis_texts = [(name, _axis_text(name, values)) for name, values in dict(axes).items()]
    table_cells = []
    for name, values in table:
        array = numpy.asarray(values)
        table_cells.append((name, array if array.dtype.kind in "fiu" else list(values)))
    columns = _core.sweep(axis_texts, _fields(fields), mode, off_ratio, _jobs(jobs),
                          _path(scenario), table_cells)
    return _rows(columns, table)


def scenarios(table, axes=None, mode=None, jobs=None, off_ratio=None, scenario=None, **fields):
    """Runs the scenarios of a table, one a row, on the lanes.

    Args:
        table: a pandas DataFrame or a dict of equally long arrays; each
            column names a field (or ``"mode"``), each cell is a number or the
            text typed into that field, as in morbilex-batch's
            ``--scenarios=FILE.csv``.
        axes: optional, as ``sweep``'s: every row takes every point of them,
            the rows varying slowest.
        mode, jobs, off_ratio, scenario, **fields: as ``sweep``'s.

    Returns:
        The summary rows as ``sweep`` returns them, with a column swept_NAME
        for each of the table's columns.
    """
    if hasattr(table, "columns") and hasattr(table, "__getitem__"):
        columns = [(str(name), numpy.asarray(table[name])) for name in table.columns]
    else:
        columns = [(str(name), values) for name, values in dict(table).items()]
    if not columns:
        raise ValueError("scenarios: the table has no columns")
    result = _sweep(axes or {}, columns, mode, jobs, off_ratio, scenario, fields)
    return result


def read_scenario(path):
    """Reads a scenario file (.morbilex) as the programs open it.

    Returns:
        dict of every field's value by its option name, and ``"mode"``: the
        file's mode, or None when it has none. ``run(**read_scenario(p))``
        runs it.

    Raises:
        ValueError: the file cannot be read or is refused, with the programs'
            message naming the file (and the line and field).
    """
    fields, mode = _core.read_scenario(_path(path))
    fields["mode"] = mode
    return fields


def write_scenario(path, mode=None, **fields):
    """Writes a scenario file (.morbilex) the programs open.

    The fields (option names, numbers or texts) are typed into the dialogs
    over the defaults and the accepted values written; ``mode`` is written
    when given. ``write_scenario(p, **run.inputs, mode=run.mode)`` saves a run.
    ".morbilex" is added to a name without an extension.

    Returns:
        The path written.

    Raises:
        ValueError: a field refused, in morbilex-batch's words.
        OSError: the file cannot be written.
    """
    try:
        return _core.write_scenario(_path(path), _fields(fields), mode)
    except RuntimeError as error:
        raise OSError(str(error)) from None
