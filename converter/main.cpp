// korvex: converts Quake and Quake2 map sources for Q3A-era editors.
#include "run.h"

int main(int argc, char** argv) { return conv::korvex_main(argc, argv); }
