#include <gtest/gtest.h>
#include "launcher_test_util.h"
#include "test_support.h"
