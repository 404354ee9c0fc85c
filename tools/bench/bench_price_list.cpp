// What one Brilliant conversion costs through the driver manager and our driver.
#include <benchmark/benchmark.h>

#include "convert/OutputFile.h"
#include "convert/PapRecord.h"
#include "convert/PriceList.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"

static void BM_ConvertBrilliant(benchmark::State& state) {
    static COdbcSandbox sandbox;
    static const bool bRegistered = sandbox.RegisterDataSource();
    CTempDir dir;
    if (!bRegistered || !WritePriceTable(dir.File("rnddat.dbf"), 150))
        state.SkipWithError("no data source or table");
    for (auto _ : state) {
        CDatabase db;
        db.OpenEx("DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" + dir.Path() + "/");
        CPapRecord rs(db);
        rs.SetTable("rnddat");
        rs.Open();
        benchmark::DoNotOptimize(CountRecords(rs));
        COutputFile file;
        file.Open(dir.File("TrvBrill.txt"));
        WritePriceList(file, "Brilliant", dir.File("rnddat.dbf"), true, rs);
        file.Close();
    }
}
BENCHMARK(BM_ConvertBrilliant)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
