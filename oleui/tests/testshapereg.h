// Registers the test shape server in the prefix for the life of the object.
#pragma once

#include "serverreg.h"
#include "testshape/testshape.h"

class TestShapeRegistration : public TestServerRegistration {
 public:
  TestShapeRegistration() : TestServerRegistration(testshape::kDll) {}
};
