// driver_make_table PATH RECORDS: a price table for the script tests, whose record r
// (from 1), field f (1..11) holds r * 4 + f * 0.25.
#include <cstdlib>

#include "tests/support/DbfWriter.h"

int main(int argc, char** argv) {
    return argc == 3 && WritePriceTable(argv[1], std::atoi(argv[2])) ? 0 : 1;
}
