#pragma once
// Names for the cases of parameterised suites. CTest lists every case by its
// name, so a name must read well and stay the same from build to build.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace plendo::test {

// `text` as a test name: letters and digits kept, each run of anything else
// one underscore (the only other character a test name may hold).
inline std::string NameOf(std::string_view text) {
  std::string name;
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    else if (!name.empty() && name.back() != '_') name += '_';
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? "empty" : name;
}

// The name generator for a suite whose parameter prints as what it is (a
// string, a number, a struct with its PrintTo).
struct PrintedName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& info) const {
    return NameOf(::testing::PrintToString(info.param));
  }
};

// The same with the case's place in its table after it, for tables where
// two cases print alike.
struct PrintedNameAndIndex {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& info) const {
    return NameOf(::testing::PrintToString(info.param)) + "_" + std::to_string(info.index);
  }
};

}  // namespace plendo::test
