#include "pdf_coordinate_rounding.h"

#include <qpdf/QPDFTokenizer.hh>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "pdf_numbers.h"

namespace graphics {

namespace {

// The step, in points on the page, that coordinates are rounded to.
constexpr double kPageStep = 0.01;

class CoordinateRounding final : public QPDFObjectHandle::TokenFilter {
 public:
  void handleToken(QPDFTokenizer::Token const& token) override {
    if (token.getType() != QPDFTokenizer::tt_word) {
      pending_.push_back(token);
      return;
    }
    const std::string& op = token.getValue();
    if (op == "m" || op == "l" || op == "c" || op == "v" || op == "y" || op == "re" || op == "w") {
      writeRounded(0);
    } else if (op == "Tm") {
      writeRounded(4);  // the origin only: the first four scale the glyphs
    } else {
      if (op == "cm") concat();
      else if (op == "q") saved_.push_back(scale_);
      else if (op == "Q" && !saved_.empty()) scale_ = saved_.back(), saved_.pop_back();
      writePending();
    }
    writeToken(token);
  }
  void handleEOF() override { writePending(); }

 private:
  static bool isNumber(const QPDFTokenizer::Token& t) {
    return t.getType() == QPDFTokenizer::tt_integer || t.getType() == QPDFTokenizer::tt_real;
  }
  // Decimals that keep a coordinate of this space within half a step of the page.
  int decimals() const {
    if (!(scale_ > 0) || !std::isfinite(scale_)) return -1;
    return std::clamp(static_cast<int>(std::ceil(std::log10(scale_ / kPageStep) - 1e-9)), 0, 8);
  }
  // Writes the pending operands, the numbers after the first `skip` of them rounded.
  void writeRounded(std::size_t skip) {
    const int places = decimals();
    std::size_t index = 0;
    std::string text;
    for (const QPDFTokenizer::Token& t : pending_) {
      if (isNumber(t) && index++ >= skip && places >= 0 && t.getType() == QPDFTokenizer::tt_real) {
        text.clear();
        appendPdfNumber(text, std::strtod(t.getValue().c_str(), nullptr), places);
        write(text);
      } else {
        writeToken(t);
      }
    }
    pending_.clear();
  }
  void writePending() {
    for (const QPDFTokenizer::Token& t : pending_) writeToken(t);
    pending_.clear();
  }
  // The largest stretch of the matrix: no coordinate's error grows more than this under it.
  void concat() {
    std::vector<double> m;
    for (const QPDFTokenizer::Token& t : pending_) {
      if (isNumber(t)) m.push_back(std::strtod(t.getValue().c_str(), nullptr));
    }
    if (m.size() != 6) return;
    const double sum = m[0] * m[0] + m[1] * m[1] + m[2] * m[2] + m[3] * m[3];
    const double det = m[0] * m[3] - m[1] * m[2];
    const double stretch = std::sqrt((sum + std::sqrt(std::max(0.0, sum * sum - 4 * det * det))) / 2);
    scale_ *= stretch;
  }

  std::vector<QPDFTokenizer::Token> pending_;
  double scale_ = 1;
  std::vector<double> saved_;
};

}  // namespace

std::shared_ptr<QPDFObjectHandle::TokenFilter> coordinateRounding() { return std::make_shared<CoordinateRounding>(); }

}  // namespace graphics
