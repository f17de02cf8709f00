"""Reads a result's exported files with the packages' own readers and compares them with the
values the test expects. Usage: read_exports.py RESULT_STEM EXPECTED

EXPECTED: a header line of every column name (tab-separated), then a line naming the confounds
(tab-separated), then one line per data point of every value as the shortest text of its float.
Prints each difference and exits 1 when there is any."""

import csv
import sys

try:
    import numpy
    import scipy.io
except ImportError as error:
    sys.exit("the exports are read back with numpy and scipy (Debian's python3-numpy and "
             "python3-scipy: scripts/install --test): " + str(error))

stem, expected_path = sys.argv[1], sys.argv[2]
problems = []

with open(expected_path, newline="") as f:
    lines = f.read().split("\n")
names = lines[0].split("\t")
confounds = lines[1].split("\t") if lines[1] else []
rows = [[numpy.float32(v) for v in line.split("\t")] for line in lines[2:] if line]
expected = numpy.array(rows, dtype=numpy.float32).reshape(len(rows), len(names))
confound_columns = expected[:, [names.index(n) for n in confounds]].astype(numpy.float64)

# TSV: Python's csv module, every value the same single-precision value exactly.
with open(stem + ".tsv", newline="") as f:
    table = list(csv.reader(f, delimiter="\t"))
if table[0] != names:
    problems.append("tsv header %r, expected %r" % (table[0], names))
tsv = numpy.array([[numpy.float32(float(v)) for v in row] for row in table[1:]])
if tsv.shape != expected.shape or not numpy.array_equal(tsv, expected):
    problems.append("tsv values differ from the design's floats")

# SPM: R (data points x confounds, double) and names (1 x confounds cell).
mat = scipy.io.loadmat(stem + "_spm.mat")
if mat["R"].dtype != numpy.float64 or mat["R"].shape != confound_columns.shape:
    problems.append("R is %s %r" % (mat["R"].dtype, mat["R"].shape))
elif numpy.abs(mat["R"] - confound_columns).max(initial=0) > 1e-6:
    problems.append("R differs by more than 1e-6")
spm_names = [str(cell[0]) if cell.size else "" for cell in mat["names"].ravel()]
if mat["names"].shape != (1, len(confounds)) or spm_names != confounds:
    problems.append("names %r %r, expected %r" % (mat["names"].shape, spm_names, confounds))

# FSL and AFNI: numpy.loadtxt, as many rows and columns, values within 1e-6.
for suffix in ("_fsl.txt", "_afni.1D"):
    values = numpy.loadtxt(stem + suffix, ndmin=2)
    if values.shape != confound_columns.shape:
        problems.append("%s is %r" % (suffix, values.shape))
    elif numpy.abs(values - confound_columns).max(initial=0) > 1e-6:
        problems.append("%s differs by more than 1e-6" % suffix)
with open(stem + "_afni.1D") as f:
    labels = [line for line in f if "ColumnLabels" in line]
if labels != ['#  ColumnLabels = "%s"\n' % " ; ".join(confounds)]:
    problems.append("AFNI labels %r" % labels)

for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
