// What one conversion costs through the driver manager: connect, open the program's
// query on a static cursor, count up to 201 records, go back to the first and read
// 150. On a right 150-record table and on a 2 GB one (sparse), which must cost the
// same: records are only read when fetched.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "tests/driver/OdbcClient.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

namespace {

CTempDir* g_pSmall = nullptr;
CTempDir* g_pHuge = nullptr;

void MakeHugeTable(const std::string& strPath) {
    WritePriceTable(strPath, 201);
    std::string bytes = ReadFile(strPath);
    const std::uint32_t nRecords = 16'000'000;  // 16e6 records of 133 bytes: 2.1 GB
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(nRecords >> (8 * i));
    WriteFile(strPath, bytes);
    if (truncate(strPath.c_str(), 2'200'000'000LL) != 0) std::abort();
}

void ConvertOnce(benchmark::State& state, const std::string& strFolder) {
    for (auto _ : state) {
        COdbcClient client;
        if (!client.Connect("DSN=zlmrt_conv;DEFAULTDIR=" + strFolder + "/"))
            state.SkipWithError("connect");
        if (client.Exec(ProgramQuery("rnddat")) != SQL_SUCCESS) state.SkipWithError("open");
        client.BindPrices();
        int nCount = 0;
        SQLFetchScroll(client.Stmt(), SQL_FETCH_FIRST, 0);
        while (nCount <= 200 && SQLFetchScroll(client.Stmt(), SQL_FETCH_NEXT, 0) != SQL_NO_DATA)
            ++nCount;
        SQLFetchScroll(client.Stmt(), SQL_FETCH_FIRST, 0);
        double dSum = 0;
        for (int r = 0; r < 150; ++r) {
            dSum += client.Prices()[0].value_or(0);
            SQLFetchScroll(client.Stmt(), SQL_FETCH_NEXT, 0);
        }
        benchmark::DoNotOptimize(dSum);
        benchmark::DoNotOptimize(nCount);
    }
}

void BM_Right150RecordTable(benchmark::State& state) {
    ConvertOnce(state, g_pSmall->Path());
}
void BM_Sparse2GBTable(benchmark::State& state) {
    ConvertOnce(state, g_pHuge->Path());
}

BENCHMARK(BM_Right150RecordTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sparse2GBTable)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    COdbcSandbox sandbox;  // before the first ODBC call
    if (!sandbox.RegisterDataSource()) return 1;
    CTempDir small, huge;
    WritePriceTable(small.File("rnddat.dbf"), 150);
    MakeHugeTable(huge.File("rnddat.dbf"));
    g_pSmall = &small;
    g_pHuge = &huge;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
