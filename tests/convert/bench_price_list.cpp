// What one Brilliant conversion costs through the driver manager and our driver, beside
// the cost of merely copying as many bytes as the price list holds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "convert/FileError.h"
#include "convert/PapRecord.h"
#include "convert/PriceList.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"

namespace {

COdbcSandbox& Sandbox() {
    static COdbcSandbox sandbox;
    static bool bRegistered = sandbox.RegisterDataSource();
    (void)bRegistered;
    return sandbox;
}

void BM_ConvertBrilliant(benchmark::State& state) {
    CTempDir dir;
    Sandbox();
    if (!WritePriceTable(dir.File("rnddat.dbf"), 150)) state.SkipWithError("no table");
    for (auto _ : state) {
        CDatabase db;
        db.OpenEx("DSN=zlmrt_conv;DEFAULTDIR=" + dir.Path() + "/");
        CPapRecord rs(db);
        rs.SetTable("rnddat");
        rs.Open();
        if (CountRecords(rs) != 150) state.SkipWithError("wrong count");
        COutputFile file;
        file.Open(dir.File("TrvBrill.txt"));
        WritePriceList(file, "Brilliant", dir.File("rnddat.dbf"), true, rs);
        file.Close();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(ReadFile(dir.File("TrvBrill.txt")).size()));
}
BENCHMARK(BM_ConvertBrilliant)->Unit(benchmark::kMicrosecond);

// Reads a file of `state.range(0)` bytes and writes it to another, the floor under any
// conversion of that size.
void BM_CopyBytes(benchmark::State& state) {
    CTempDir dir;
    const size_t nBytes = static_cast<size_t>(state.range(0));
    WriteFile(dir.File("in.txt"), std::string(nBytes, 'x'));
    std::vector<char> buffer(nBytes);
    for (auto _ : state) {
        int nIn = open(dir.File("in.txt").c_str(), O_RDONLY);
        int nOut = open(dir.File("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t nRead = read(nIn, buffer.data(), nBytes);
        if (nRead > 0 && write(nOut, buffer.data(), static_cast<size_t>(nRead)) != nRead)
            state.SkipWithError("short write");
        close(nOut);
        close(nIn);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
// About the size of a Brilliant price list.
BENCHMARK(BM_CopyBytes)->Arg(17600)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
