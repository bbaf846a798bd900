#include "error_plane.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace ravo_accuracy {

int binade(double v) {
  const std::uint64_t magnitude = std::bit_cast<std::uint64_t>(v) & ~(std::uint64_t{1} << 63);
  if (magnitude == 0) return kZeroBinade;
  const int field = static_cast<int>(magnitude >> 52);
  if (field != 0) return field - 1023;
  return 63 - std::countl_zero(magnitude) - 1074;  // subnormal: the leading bit's place
}

std::string ulp_text(double err_ulp) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, err_ulp).ptr;
  return std::string(buf, end);
}

ErrorPlane::ErrorPlane(int binades_per_cell, std::size_t implementations)
    : width_(binades_per_cell), impls_(implementations) {}

ErrorPlane::Cell& ErrorPlane::cell(double x, double y) {
  // Cells start at kZeroBinade, so the first one holds zero.
  const auto lowest = [&](double v) { return kZeroBinade + (binade(v) - kZeroBinade) / width_ * width_; };
  Cell& c = cells_[{lowest(x), lowest(y)}];
  if (c.max_ulp.empty()) c.max_ulp.assign(2 * impls_, 0.0);
  return c;
}

void ErrorPlane::count(double x, double y) { ++cell(x, y).samples; }

void ErrorPlane::add(double x, double y, std::size_t impl, double re_err_ulp, double im_err_ulp) {
  Cell& c = cell(x, y);
  c.max_ulp[2 * impl] = std::max(c.max_ulp[2 * impl], re_err_ulp);
  c.max_ulp[2 * impl + 1] = std::max(c.max_ulp[2 * impl + 1], im_err_ulp);
}

void ErrorPlane::merge(const ErrorPlane& other) {
  for (const auto& [key, o] : other.cells_) {
    Cell& c = cells_[key];
    if (c.max_ulp.empty()) c.max_ulp.assign(2 * impls_, 0.0);
    c.samples += o.samples;
    for (std::size_t i = 0; i < c.max_ulp.size(); ++i) c.max_ulp[i] = std::max(c.max_ulp[i], o.max_ulp[i]);
  }
}

std::string ErrorPlane::header(const std::vector<std::string>& impl_names) {
  std::string h = "mode,x_binade,y_binade,binades,samples";
  for (const auto& name : impl_names) h += "," + name + "_re_max_ulp," + name + "_im_max_ulp";
  return h + "\n";
}

void ErrorPlane::write_rows(std::ostream& out, const std::string& mode) const {
  for (const auto& [key, c] : cells_) {
    out << mode << ',' << key.first << ',' << key.second << ',' << width_ << ',' << c.samples;
    for (double e : c.max_ulp) out << ',' << ulp_text(e);
    out << '\n';
  }
}

}  // namespace ravo_accuracy
