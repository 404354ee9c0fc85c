// The driver's costs through the driver manager:
// - one conversion: connect, the program's query on a static cursor, count up to 201
//   records, read 150 from the first. A right 150-record table and a sparse 2 GB one
//   must cost the same: records are only read when fetched;
// - a scan that skips 4 million deleted records behind 150 live ones, beside the time
//   `cat` takes to read the same file once;
// - a forward-only read of a million records, whose peak memory must be no more than
//   that of a read of 150;
// - SQL over the million records: SELECT * read directly and through SQLite's engine
//   (the direct path must stay), and COUNT(*) beside `cat` of the file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

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

// Every row of the table through a forward-only cursor; the number of rows.
long ReadAll(const std::string& strFolder) {
    COdbcClient client;
    client.ConnectTo(strFolder);
    client.Exec(ProgramQuery("rnddat"), SQL_CURSOR_FORWARD_ONLY);
    long nRows = 0;
    while (client.Fetch()) ++nRows;
    return nRows;
}

// The peak resident size since the last ResetPeakRss, in kB.
long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine))
        if (strLine.rfind("VmHWM:", 0) == 0) return std::atol(strLine.c_str() + 6);
    return -1;
}
void ResetPeakRss() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Reads the whole file in 64 KB pieces, as cat does.
void CatFile(benchmark::State& state, const std::string& strPath) {
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        const int fd = open(strPath.c_str(), O_RDONLY);
        while (read(fd, buffer.data(), buffer.size()) > 0) {
        }
        close(fd);
    }
}

// Every row of `strQuery` (its first column a number) through a forward-only cursor.
void QueryAll(benchmark::State& state, const std::string& strFolder, const std::string& strQuery) {
    for (auto _ : state) {
        COdbcClient client;
        client.ConnectTo(strFolder);
        if (client.Exec(strQuery, SQL_CURSOR_FORWARD_ONLY) != SQL_SUCCESS) {
            state.SkipWithError(client.StmtError().c_str());
            return;
        }
        long nRows = 0;
        while (client.Fetch()) ++nRows;
        state.counters["rows"] = static_cast<double>(nRows);
    }
}

void ScanAll(benchmark::State& state, const std::string& strFolder) {
    for (auto _ : state) state.counters["rows"] = static_cast<double>(ReadAll(strFolder));
}

void ForwardOnlyMemory(benchmark::State& state, const std::string& strFolder) {
    for (auto _ : state) {
        ResetPeakRss();
        const long nBefore = PeakRssKb();
        state.counters["rows"] = static_cast<double>(ReadAll(strFolder));
        state.counters["peak_rss_growth_kB"] = static_cast<double>(PeakRssKb() - nBefore);
    }
}

// A price table of `nLive` records followed by `nDeleted` deleted copies of the last.
bool WriteWithDeleted(const std::string& strPath, int nLive, int nDeleted) {
    if (!WritePriceTable(strPath, nLive)) return false;
    std::string bytes = ReadFile(strPath);
    const std::size_t nHeader = 32 + 11 * 32 + 1, nRecord = 133;
    std::string record = bytes.substr(nHeader + (nLive - 1) * nRecord, nRecord);
    record[0] = '*';
    bytes.resize(nHeader + nLive * nRecord);
    const std::uint32_t nTotal = static_cast<std::uint32_t>(nLive + nDeleted);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(nTotal >> (8 * i));
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << bytes;
    for (int i = 0; i < nDeleted; ++i) out << record;
    out << '\x1A';
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    COdbcSandbox sandbox;  // before the first ODBC call
    CTempDir right, huge, deleted, million;
    if (!sandbox.RegisterDataSource() || !WritePriceTable(right.File("rnddat.dbf"), 150) ||
        !WriteHugePriceTable(huge.File("rnddat.dbf")) ||
        !WriteWithDeleted(deleted.File("rnddat.dbf"), 150, 4'000'000) ||
        !WriteWithDeleted(million.File("rnddat.dbf"), 1'000'000, 0))
        return 1;
    using Fn = void (*)(benchmark::State&, const std::string&);
    const std::string strMillion = million.File("rnddat.dbf");
    // The small read first: it pays for loading the driver and the driver manager.
    const std::tuple<const char*, Fn, std::string, benchmark::TimeUnit> runs[] = {
        {"ForwardOnly150Records", ForwardOnlyMemory, right.Path(), benchmark::kMillisecond},
        {"ForwardOnlyMillionRecords", ForwardOnlyMemory, million.Path(), benchmark::kMillisecond},
        {"Right150RecordTable", Convert, right.Path(), benchmark::kMicrosecond},
        {"Sparse2GBTable", Convert, huge.Path(), benchmark::kMicrosecond},
        {"Cat4MDeletedFile", CatFile, deleted.File("rnddat.dbf"), benchmark::kMillisecond},
        {"Scan4MDeletedBehind150", ScanAll, deleted.Path(), benchmark::kMillisecond},
        {"CatMillionFile", CatFile, strMillion, benchmark::kMillisecond}};
    for (const auto& [pszName, fn, strArg, unit] : runs) {
        auto* pRun = benchmark::RegisterBenchmark(pszName, fn, strArg)->Unit(unit);
        if (fn == ForwardOnlyMemory) pRun->Iterations(1);
    }
    for (auto [pszName, pszQuery] : {std::pair{"SqlCountMillion", "SELECT COUNT(*) FROM rnddat"},
                                     {"DirectSelectStarMillion", "SELECT * FROM rnddat"},
                                     {"SqlSelectStarMillion", "SELECT * FROM rnddat WHERE 1"}})
        benchmark::RegisterBenchmark(pszName, QueryAll, million.Path(), std::string(pszQuery))
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
