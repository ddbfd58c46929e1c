#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input through the form-description reader: parse, then phase one with a registry
// of plain objects. Form errors are expected; anything else escaping, or a crash, is a fault.
// True when the reader took the input.
bool exerciseFormReader(const std::uint8_t *data, std::size_t size);
