// Finding the font files text styles name: the drawing's folder and the support folders first, then the
// font folders with their sub-folders, letter case ignored there.

#include <string>

#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "cad/plot/font_search.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot_fixture.h"

namespace {

using namespace cad;
using plottest::PlotTest;

std::string found(const wchar_t* name, HostApplicationServices::FindFileHint hint, Database* db = nullptr) {
  std::wstring path;
  if (acdbHostApplicationServices()->findFile(path, name, db, hint) != eOk) return "";
  EXPECT_FALSE(path.empty());
  return foundation::utf8FromWideLossy(path);
}

TEST_F(PlotTest, FontFilesAreFoundInTheDrawingsFolderTheSupportFoldersAndTheFontFolders) {
  const std::string drawings = *folder_ / "drawings", support = *folder_ / "support", fonts = *folder_ / "fonts";
  for (const std::string& f : {drawings, support, fonts + "/shx/more"})
    ASSERT_TRUE(foundation::createDirectory(f, true));
  ASSERT_TRUE(foundation::writeFileAtomically(fonts + "/shx/more/SimpLex.SHX", "font"));
  ASSERT_TRUE(foundation::writeFileAtomically(fonts + "/shx/txt.shx", "font"));
  ASSERT_TRUE(foundation::writeFileAtomically(support + "/txt.shx", "font"));
  ASSERT_TRUE(foundation::writeFileAtomically(drawings + "/own.ttf", "font"));
  setSupportFolders({support});
  setFontFolders({*folder_ / "absent", fonts});
  db_->filename = foundation::wideFromUtf8Lossy(drawings + "/plan.dwg");

  EXPECT_EQ(found(L"simplex.shx", HostApplicationServices::kFontFile, db_.get()), fonts + "/shx/more/SimpLex.SHX");
  EXPECT_EQ(found(L"txt.shx", HostApplicationServices::kFontFile, db_.get()), support + "/txt.shx");
  EXPECT_EQ(found(L"own.ttf", HostApplicationServices::kFontFile, db_.get()), drawings + "/own.ttf");
  EXPECT_EQ(found(L"own.ttf", HostApplicationServices::kFontFile), "");  // no drawing with that folder
  // Only a font search looks in the font folders.
  EXPECT_EQ(found(L"simplex.shx", HostApplicationServices::kDefault, db_.get()), "");
  EXPECT_EQ(found(L"missing.shx", HostApplicationServices::kFontFile, db_.get()), "");
  EXPECT_EQ(found(L"", HostApplicationServices::kFontFile, db_.get()), "");
  findFileFaults().failing.insert(L"simplex.shx");
  EXPECT_EQ(found(L"simplex.shx", HostApplicationServices::kFontFile, db_.get()), "");
}

}  // namespace
