// One conversion through the driver manager: connect, the program's query on a static
// cursor, count up to 201 records, read 150 from the first. A right 150-record table and
// a sparse 2 GB one must cost the same: records are only read when fetched.
#include <benchmark/benchmark.h>

#include "tests/driver/OdbcClient.h"
#include "tests/support/OdbcSandbox.h"

namespace {

void Convert(benchmark::State& state, const std::string& strFolder) {
    for (auto _ : state) {
        COdbcClient client;
        client.ConnectTo(strFolder);  // a failure shows in the first Fetch, which throws
        client.Exec(ProgramQuery("rnddat"));
        int nCount = 0;
        while (nCount <= 200 && client.Fetch()) ++nCount;
        double dSum = client.Fetch(SQL_FETCH_FIRST).value()[0].value_or(0);
        for (int r = 1; r < 150; ++r) dSum += client.Fetch().value()[0].value_or(0);
        benchmark::DoNotOptimize(dSum + nCount);
    }
}

}  // namespace

int main(int argc, char** argv) {
    COdbcSandbox sandbox;  // before the first ODBC call
    CTempDir right, huge;
    if (!sandbox.RegisterDataSource() || !WritePriceTable(right.File("rnddat.dbf"), 150) ||
        !WriteHugePriceTable(huge.File("rnddat.dbf")))
        return 1;
    benchmark::RegisterBenchmark("Right150RecordTable", Convert, right.Path())
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Sparse2GBTable", Convert, huge.Path())
        ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
