#include <gtest/gtest.h>

#include "app/OrvelApplication.h"

int main(int argc, char** argv) {
  orvel::OrvelApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
