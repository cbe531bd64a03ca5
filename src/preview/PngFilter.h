#pragma once
// Undoing the five PNG row filters. A row buffer holds the filter-type byte
// first, then `length` bytes of samples; `previous` is the row above in the
// same layout (all zeros for the first row of an image or pass).
#include <cstddef>
#include <cstdint>

namespace plendo::preview {

std::uint8_t PaethPredictor(std::uint8_t left, std::uint8_t above, std::uint8_t upper_left);

// `offset`: bytes of one whole pixel (at least 1), the distance to the left
// neighbour. Filter types beyond 4 leave the row as it is.
void UnfilterRow(std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t offset);

}  // namespace plendo::preview
