#include "plotted_sheets.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <exception>
#include <random>

namespace {

std::string sheetContent(int number) {
  std::mt19937 random(static_cast<unsigned>(number));
  std::uniform_real_distribution<double> x(20, 822), y(20, 1171);
  std::string content = "0.25 w 0 G\n20 20 802 1151 re S\n";
  char line[96];
  for (int i = 0; i < 3000; ++i) {
    std::snprintf(line, sizeof line, "%.2f %.2f m %.2f %.2f l S\n", x(random), y(random), x(random), y(random));
    content += line;
  }
  std::snprintf(line, sizeof line, "BT /F1 14 Tf 600 40 Td (Sheet %d) Tj ET\n", number);
  return content + line;
}

}  // namespace

std::vector<std::string> writePlottedSheets(const std::string& folder, int count) {
  std::vector<std::string> paths;
  try {
    for (int n = 1; n <= count; ++n) {
      QPDF pdf;
      pdf.emptyPDF();
      QPDFObjectHandle font = QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
      QPDFObjectHandle page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 842 1191] >>");
      page.replaceKey("/Resources", QPDFObjectHandle::parse("<< /Font << >> >>"));
      page.getKey("/Resources").getKey("/Font").replaceKey("/F1", pdf.makeIndirectObject(font));
      page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, sheetContent(n)));
      if (n % 2 == 0) page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(90));
      QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
      char name[32];
      std::snprintf(name, sizeof name, "/sheet-%04d.pdf", n);
      const std::string path = folder + name;
      QPDFWriter writer(pdf, path.c_str());
      writer.write();
      paths.push_back(path);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cannot write the sheets: %s\n", e.what());
    return {};
  }
  return paths;
}
