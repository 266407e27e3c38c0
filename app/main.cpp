#include "app/modMain.h"

int main(int argc, char** argv) {
    return tobrel::app::runTobrel(argc, argv);
}
