#pragma once
// One QApplication for a whole test program, made before the first test and
// gone before static destruction begins. Beeps are counted, not sounded.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "platform/Beep.h"

namespace plendo::test {

class QtTestApp : public ::testing::Environment {
 public:
  void SetUp() override {
    app_ = std::make_unique<QApplication>(argc_, argv_);
    platform::SetBeepHandler([] { ++beeps; });
  }
  void TearDown() override {
    platform::SetBeepHandler(nullptr);
    app_.reset();
  }
  static inline int beeps = 0;

 private:
  int argc_ = 1;
  char name_[16] = "plendo_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace plendo::test
