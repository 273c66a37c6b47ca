#pragma once
// Whole layouts on papers of every kind, for the tests that plot them through cadhost's PLOT and through the
// plug-in: a drawing of one frameless paper-space layout "Sheet" whose lines run corner to corner of its paper,
// so that a plot at 1:1 inks exactly the paper, and what each page of a plotted PDF measures.

#include <string>
#include <vector>

struct LayoutPaper {
  enum class Outcome {
    kPlotted,   // on the page given
    kTooLarge,  // larger than every medium: refused
    kDamaged,   // no usable size: refused
  };
  const char* what;
  double width, height;            // the layout's paper, mm
  Outcome outcome;
  double pageWidth, pageHeight;    // the smallest medium that holds the paper, mm (when plotted)
};

// Standard, lengthened, custom, larger than every medium, zero, negative and tiny papers.
const std::vector<LayoutPaper>& layoutPapers();

// A paper's size as the refusals give it: "0 x 297 mm".
std::string paperSizeText(double width, double height);

// The DXF text of the drawing with its layout "Sheet" on a width × height mm paper.
std::string layoutPaperDrawing(double width, double height);

// A page's size and the size of the box its ink covers, mm, rendered by pdftoppm at low resolution (±3 mm).
struct PlottedPage {
  double width = 0, height = 0;
  double inkWidth = 0, inkHeight = 0;
};
// Every page of the PDF, in order; empty when it cannot be read.
std::vector<PlottedPage> plottedPages(const std::string& pdf);
