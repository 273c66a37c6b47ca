#include <qpdf/QPDFPageObjectHelper.hh>

#include "pdf_page_data.h"

namespace graphics {

namespace {

// A single content stream goes over with its encoded bytes as they are, so a compressed page is neither
// inflated nor deflated again on the way.
class EncodedContents : public QPDFObjectHandle::StreamDataProvider {
 public:
  explicit EncodedContents(QPDFObjectHandle stream) : stream_(std::move(stream)) {}
  void provideStreamData(QPDFObjGen const&, Pipeline* pipeline) override {
    stream_.pipeStreamData(pipeline, 0, qpdf_dl_none);
  }

 private:
  QPDFObjectHandle stream_;
};

// Several content streams are one stream of content once decoded and joined.
class JoinedContents : public QPDFObjectHandle::StreamDataProvider {
 public:
  explicit JoinedContents(QPDFObjectHandle page) : page_(std::move(page)) {}
  void provideStreamData(QPDFObjGen const&, Pipeline* pipeline) override {
    if (page_.getKey("/Contents").isNull()) {
      pipeline->finish();
      return;
    }
    QPDFPageObjectHelper(page_).pipeContents(pipeline);
  }

 private:
  QPDFObjectHandle page_;
};

}  // namespace

QPDFObjectHandle pageFormXObject(PdfPage::Data& page) {
  if (page.form.isInitialized()) return page.form;

  QPDFObjectHandle form = QPDFObjectHandle::newStream(page.pdf.get());
  QPDFObjectHandle contents = page.page.getKey("/Contents");
  if (contents.isStream()) {
    QPDFObjectHandle dict = contents.getDict();
    form.replaceStreamData(std::make_shared<EncodedContents>(contents), dict.getKey("/Filter"),
                           dict.getKey("/DecodeParms"));
  } else {
    form.replaceStreamData(std::make_shared<JoinedContents>(page.page), QPDFObjectHandle::newNull(),
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

FileIdentity FileIdentity::of(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

bool FileIdentity::operator==(const FileIdentity& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

bool sourceUnchanged(const PdfPage::Data& page) {
  struct stat st{};
  return ::stat(page.path.c_str(), &st) == 0 && FileIdentity::of(st) == page.identity;
}

}  // namespace graphics
