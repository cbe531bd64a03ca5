#pragma once
// The root of every error the program raises. Each subsystem derives its own
// class (EExifError, EFOpenError, the PNG and GIF errors, the JPEG error) so a
// caller can catch one stage's failures and let the others pass.
#include <stdexcept>
#include <string>

namespace plendo {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace plendo
