// Seeded argument generators for the accuracy tool, one per input class.
// Sample i of a class depends only on (seed, class, i), so results do not
// depend on how the samples are split among threads.
#ifndef RAVO_ACCURACY_INPUT_CLASSES_H
#define RAVO_ACCURACY_INPUT_CLASSES_H

#include <cstdint>
#include <span>

namespace ravo_accuracy {

struct Argument {
  double x, y;
};

struct InputClass {
  const char* name;
  const char* description;
  Argument (*generate)(std::uint64_t seed, std::uint64_t index);
};

std::span<const InputClass> input_classes();

// The binary32 classes, sampled the same way.
struct Argument32 {
  float x, y;
};

struct InputClass32 {
  const char* name;
  const char* description;
  Argument32 (*generate)(std::uint64_t seed, std::uint64_t index);
};

std::span<const InputClass32> input_classes32();

}  // namespace ravo_accuracy

#endif
