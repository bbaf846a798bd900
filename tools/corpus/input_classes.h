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

}  // namespace ravo_accuracy

#endif
