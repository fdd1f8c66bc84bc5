// The benchmarks of the bench program; each prints its figures and returns 0, or non-zero when
// it could not run or missed its goal.
#pragma once

// The file engine copying a corpus into and out of a 1.44M volume, beside mcopy doing the same.
int RunEngineCopyBenchmark();
