#pragma once
// Rectangles and affine transforms in PDF points (y up), and the transform that shows a page's box upright
// in a rectangle, as a PDF viewer would show the page.

namespace graphics {

struct PdfPoint {
  double x = 0;
  double y = 0;
};

struct PdfRect {
  double x = 0;  // lower-left corner
  double y = 0;
  double width = 0;
  double height = 0;
};

// (x, y) maps to (a·x + c·y + tx, b·x + d·y + ty), the order of the PDF operator "cm".
struct PdfMatrix {
  double a = 1;
  double b = 0;
  double c = 0;
  double d = 1;
  double tx = 0;
  double ty = 0;
};

PdfPoint apply(const PdfMatrix& m, PdfPoint p);
// `first` applied, then `then`.
PdfMatrix concat(const PdfMatrix& first, const PdfMatrix& then);

// The rectangle with its corners ordered (non-negative width and height), as a PDF box array
// [x0 y0 x1 y1] may give them in either order.
PdfRect standardized(PdfRect r);
// Empty (all zero) when the two do not overlap with a positive area.
PdfRect intersection(PdfRect a, PdfRect b);
// Finite with a positive width and height.
bool isUsable(const PdfRect& r);

// Maps `box` of a page whose /Rotate is `pageRotation` into `rect`: the box is turned by the page's rotation
// plus `rotate` (clockwise, as the page is shown), scaled down to fit `rect` but never scaled up, and centred
// in it. Without `preserveAspectRatio` each direction is scaled on its own. Angles count in whole quarter
// turns; the remainder of an angle that is no multiple of 90 is dropped. An unusable box or rect gives the
// identity.
PdfMatrix drawingTransform(PdfRect box, int pageRotation, PdfRect rect, int rotate, bool preserveAspectRatio);

// An angle in degrees as a whole number of quarter turns clockwise, 0 to 3.
int quarterTurns(int degrees);

}  // namespace graphics
