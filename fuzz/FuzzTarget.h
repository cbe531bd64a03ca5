#pragma once
// Every target is one LLVMFuzzerTestOneInput; the same file links either with
// libFuzzer or with ReplayMain.cpp, which feeds it saved inputs.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace plendo::fuzz {

inline std::span<const std::uint8_t> Bytes(const std::uint8_t* data, std::size_t size) {
  return {data, size};
}

}  // namespace plendo::fuzz
