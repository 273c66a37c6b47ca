#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "bundles.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/paths.h"
#include "temp_folder.h"

namespace {

class BundlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace("bundles-test");
    folder_ = scratch_->path();
  }
  void TearDown() override { scratch_.reset(); }

  std::string bundle(const std::string& name, const std::string& manifest) {
    const std::string path = folder_ + "/" + name;
    foundation::createDirectory(path + "/Contents/Linux", true);
    std::ofstream(path + "/Contents/Linux/Plugin.so") << "module";
    if (!manifest.empty()) std::ofstream(path + "/PackageContents.xml") << manifest;
    return path;
  }
  std::optional<TempFolder> scratch_;
  std::string folder_;
};

TEST_F(BundlesTest, FindsTheModulesForLinuxInDocumentOrder) {
  const std::string path = bundle("A.bundle",
                                  "<ApplicationPackage>"
                                  "<Components><RuntimeRequirements OS=\"Mac\"/>"
                                  "<ComponentEntry ModuleName=\"./Contents/MacOS/Plugin.bundle\"/></Components>"
                                  "<Components><RuntimeRequirements OS=\"Mac|Linux\"/>"
                                  "<ComponentEntry ModuleName=\"./Contents/Linux/Plugin.so\"/>"
                                  "<ComponentEntry AppName=\"no module\"/></Components>"
                                  "</ApplicationPackage>");
  const cadhost::BundleModules found = cadhost::bundleModules(path);
  EXPECT_TRUE(found.errors.empty()) << found.errors.front();
  ASSERT_EQ(found.modules.size(), 1u);
  EXPECT_EQ(found.modules[0], foundation::canonicalPath(path + "/Contents/Linux/Plugin.so"));
}

TEST_F(BundlesTest, HostileOrBrokenManifestsLoadNothing) {
  const struct {
    std::string manifest;
    std::string error;
  } cases[] = {
      {"<ApplicationPackage><Components><ComponentEntry ModuleName=\"/etc/passwd\"/></Components></ApplicationPackage>",
       "is not inside the bundle"},
      {"<ApplicationPackage><Components><ComponentEntry ModuleName=\"Contents/../../x.so\"/></Components>"
       "</ApplicationPackage>",
       "is not inside the bundle"},
      {"<ApplicationPackage><Components><ComponentEntry ModuleName=\"./Contents/Linux/Missing.so\"/></Components>"
       "</ApplicationPackage>",
       "does not exist"},
      {"<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><ApplicationPackage>&e;</ApplicationPackage>",
       "names no module"},
      {"<ApplicationPackage><Components>", "damaged"},
      {"<Other/>", "no ApplicationPackage"},
      {"", "PackageContents.xml"},  // no manifest at all
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string path = bundle(std::string("B").append(std::to_string(n++)).append(".bundle"), c.manifest);
    const cadhost::BundleModules found = cadhost::bundleModules(path);
    EXPECT_TRUE(found.modules.empty()) << c.manifest;
    ASSERT_EQ(found.errors.size(), 1u) << c.manifest;
    EXPECT_NE(found.errors[0].find(c.error), std::string::npos) << found.errors[0];
  }
}

TEST_F(BundlesTest, ALinkOutOfTheBundleIsRefused) {
  const std::string path = bundle("L.bundle",
                                  "<ApplicationPackage><Components><ComponentEntry ModuleName=\"./Contents/Linux/Out.so\"/>"
                                  "</Components></ApplicationPackage>");
  std::ofstream(folder_ + "/outside.so") << "module";
  ASSERT_EQ(symlink((folder_ + "/outside.so").c_str(), (path + "/Contents/Linux/Out.so").c_str()), 0);
  const cadhost::BundleModules found = cadhost::bundleModules(path);
  EXPECT_TRUE(found.modules.empty());
}

TEST_F(BundlesTest, InstalledBundlesAreTheBundleFoldersInNameOrder) {
  bundle("b.bundle", "x");
  bundle("a.bundle", "x");
  bundle(".hidden.bundle", "x");
  foundation::createDirectory(folder_ + "/notes", false);
  std::ofstream(folder_ + "/file.bundle") << "not a folder";
  EXPECT_EQ(cadhost::installedBundles(folder_),
            (std::vector<std::string>{folder_ + "/a.bundle", folder_ + "/b.bundle"}));
  EXPECT_TRUE(cadhost::installedBundles(folder_ + "/missing").empty());
}

}  // namespace
