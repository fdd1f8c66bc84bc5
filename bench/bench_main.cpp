// The bench program: runs every benchmark, or those named on the command line, and prints their
// figures. Not a test: speed goals are judged here, on a quiet machine, never under ctest.
#include <cstdio>
#include <cstring>

#include "bench/benchmarks.h"

namespace {

struct Benchmark {
    const char* name;
    int (*run)();
};

const Benchmark kBenchmarks[] = {
    {"engine-copy", RunEngineCopyBenchmark},
    {"block-format", RunBlockFormatBenchmark},
    {"block-list", RunBlockListBenchmark},
    {"block-copy", RunBlockCopyBenchmark},
    {"stick", RunStickBenchmark},
    {"put-bytes", RunPutBytesBenchmark},
    {"find", RunFindBenchmark},
};

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    bool ranAny = false;
    for (const Benchmark& benchmark : kBenchmarks) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], benchmark.name) == 0;
        if (!wanted) continue;
        ranAny = true;
        std::printf("== %s\n", benchmark.name);
        std::fflush(stdout);
        if (benchmark.run() != 0) status = 1;
    }
    if (!ranAny) {
        std::fprintf(stderr, "usage: bench [name...]; names:");
        for (const Benchmark& benchmark : kBenchmarks)
            std::fprintf(stderr, " %s", benchmark.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    return status;
}
