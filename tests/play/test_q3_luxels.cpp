#include <gtest/gtest.h>

#include "lightmap_luxels.h"
