// driver_make_table PATH RECORDS: writes a price table for the script tests, whose
// record r (from 1), field f (1..11) holds r * 4 + f * 0.25.
#include <cstdio>
#include <cstdlib>

#include "tests/support/DbfWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: driver_make_table PATH RECORDS\n");
        return 2;
    }
    return WritePriceTable(argv[1], std::atoi(argv[2])) ? 0 : 1;
}
