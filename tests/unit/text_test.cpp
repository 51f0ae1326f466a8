#include <gtest/gtest.h>

#include "app/text.h"
