#pragma once
// A unique_ptr deleter that hands the pointer to a C library's own release
// function:
//
//   using Context = std::unique_ptr<heif_context, platform::CallFree<heif_context_free>>;
namespace plendo::platform {

template <auto Free>
struct CallFree {
  template <class T>
  void operator()(T* p) const {
    Free(p);
  }
};

}  // namespace plendo::platform
