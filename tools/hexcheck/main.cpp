// hexcheck FILE: loads FILE exactly as an update would and says whether it is accepted.
#include <cstdio>

#include "firmware/firmware_check.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: hexcheck FILE\n", stderr);
        return 1;
    }
    return hx4x::check_firmware_file(argv[1], stdout) ? 0 : 1;
}
