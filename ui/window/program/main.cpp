// HX4xLoader and its rebranded copies: the firmware loader's window.
#include "loader_startup.hpp"

int main(int argc, char** argv) {
    return hx4x::run_loader(argc, argv);
}
