#include "app/run.h"

int main(int argc, char** argv) {
    return tarnwick::Run(argc, argv);
}
