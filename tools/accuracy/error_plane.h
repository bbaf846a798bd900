// The largest error over the plane: samples grouped by the binade of |x| and
// the binade of |y| (signs folded), in cells of a few binades a side, keeping
// per cell the sample count and, for each implementation, the largest error
// of each part. The merge is a maximum and a sum, so the thread split never
// shows.
#ifndef RAVO_ACCURACY_ERROR_PLANE_H
#define RAVO_ACCURACY_ERROR_PLANE_H

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace ravo_accuracy {

// floor(log2 |v|) for finite non-zero v: -1074 .. 1023, subnormals by their
// leading bit. Zero is kZeroBinade, one below every other.
constexpr int kZeroBinade = -1075;
int binade(double v);

// An error as the CSVs carry it: the shortest decimal that reads back to the
// same double. Fewer digits would let the text cross a colour edge of the
// picture (0.4999996 written with six decimals is 0.500000, and a correctly
// rounded cell would show as misrounded).
std::string ulp_text(double err_ulp);

class ErrorPlane {
 public:
  ErrorPlane(int binades_per_cell, std::size_t implementations);
  void add(double x, double y, std::size_t impl, double re_err_ulp, double im_err_ulp);
  // Counts one sample of (x, y); called once per sample, not per implementation.
  void count(double x, double y);
  void merge(const ErrorPlane& other);
  // One line per cell, in order of x then y: the mode, the lowest binade of
  // x and of y in the cell, the cell's width in binades, the sample count,
  // then re and im maxima per implementation, each as ulp_text writes it.
  void write_rows(std::ostream& out, const std::string& mode) const;
  static std::string header(const std::vector<std::string>& impl_names);

 private:
  struct Cell {
    std::uint64_t samples = 0;
    std::vector<double> max_ulp;  // re, im of implementation 0, then 1, ...
  };
  Cell& cell(double x, double y);
  int width_;
  std::size_t impls_;
  std::map<std::pair<int, int>, Cell> cells_;
};

}  // namespace ravo_accuracy

#endif
