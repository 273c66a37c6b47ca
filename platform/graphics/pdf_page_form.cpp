#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "pdf_page_data.h"

namespace graphics {

QPDFObjectHandle pageFormXObject(PdfPage::Data& page) {
  if (page.form.isInitialized()) return page.form;

  QPDFObjectHandle form = QPDFObjectHandle::newStream(page.pdf.get());
  QPDFObjectHandle contents = page.page.getKey("/Contents");
  if (contents.isStream()) {
    // One stream: its encoded bytes go over as they are, so a compressed page is not inflated and deflated
    // again on the way.
    QPDFObjectHandle dict = contents.getDict();
    form.replaceStreamData(contents.getRawStreamData(), dict.getKey("/Filter"), dict.getKey("/DecodeParms"));
  } else {
    Pl_Buffer buffer("page contents");
    if (!contents.isNull()) QPDFPageObjectHelper(page.page).pipeContents(&buffer);
    buffer.finish();
    form.replaceStreamData(buffer.getBufferSharedPointer(), QPDFObjectHandle::newNull(),
                           QPDFObjectHandle::newNull());
  }

  QPDFObjectHandle dict = form.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
  dict.replaceKey("/FormType", QPDFObjectHandle::newInteger(1));
  const PdfRect& crop = page.cropBox;
  dict.replaceKey("/BBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
                               crop.x, crop.y, crop.x + crop.width, crop.y + crop.height)));
  QPDFObjectHandle resources = QPDFPageObjectHelper(page.page).getAttribute("/Resources", false);
  if (resources.isDictionary()) {
    dict.replaceKey("/Resources", resources.isIndirect() ? resources : resources.shallowCopy());
  }
  // A page's transparency group blends its content as a unit; the form keeps that.
  QPDFObjectHandle group = page.page.getKey("/Group");
  if (group.isDictionary()) dict.replaceKey("/Group", group.isIndirect() ? group : group.shallowCopy());

  page.form = form;
  return form;
}

}  // namespace graphics
