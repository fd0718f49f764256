// placeholder
#include "state.h"
int korvex_run(int, char**) { return 1; }
