// korvex: converts Quake and Quake2 map sources for Q3A-era editors.
#include "driver.h"


int main(int argc, char** argv) { return korvex_run(argc, argv); }
