#include "uninstall_target.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kManifest =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<ApplicationPackage Name=\"Quodline\" ProductCode=\"{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}\">\n"
    "  <Components><ComponentEntry ModuleName=\"./Contents/Linux/Quodline.so\"/></Components>\n"
    "</ApplicationPackage>\n";

std::string withRoot(const std::string& root) {
  return "<" + root + " Name=\"Quodline\" ProductCode=\"{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}\"/>";
}

TEST(QDLUninstallTarget, IsTheBundleInTheUsersAddinsFolder) {
  EXPECT_EQ(QDLUninstallTarget("/home/user"),
            "/home/user/Library/Application Support/Autodesk/ApplicationAddins/Quodline.bundle");
  EXPECT_EQ(QDLUninstallTarget("/home/user/"),
            "/home/user/Library/Application Support/Autodesk/ApplicationAddins/Quodline.bundle");
}

TEST(QDLValidateUninstallTarget, OnlyTheUsersOwnRealPackageOfThisProductPasses) {
  struct Case {
    const char* what;
    std::function<void(const std::string& home, const std::string& target)> arrange;
    std::string address;  // relative to home; empty: the install folder
    bool valid;
  };
  const std::string addins = "Library/Application Support/Autodesk/ApplicationAddins";
  auto manifest = [](const std::string& text) {
    return [text](const std::string&, const std::string& target) {
      std::ofstream(target + "/PackageContents.xml") << text;
    };
  };
  const Case cases[] = {
      {"the installed package", nullptr, "", true},
      {"the same folder written otherwise", nullptr, addins + "/./Quodline.bundle/", true},
      {"an external entity declared and used, never read",
       [](const std::string&, const std::string& target) {
         // Reading the entity would wait for a writer of the pipe forever.
         mkfifo((target + "/pipe.fifo").c_str(), 0600);
         std::ofstream(target + "/PackageContents.xml")
             << "<!DOCTYPE ApplicationPackage [<!ENTITY pipe SYSTEM \"pipe.fifo\">]>"
                "<ApplicationPackage Name=\"Quodline\" ProductCode=\"{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}\">"
                "&pipe;</ApplicationPackage>";
       },
       "", true},
      {"another folder with the same manifest",
       [](const std::string&, const std::string& target) {
         fs::copy(target, target + "/../Other.bundle", fs::copy_options::recursive);
       },
       addins + "/Other.bundle", false},
      {"a file in the folder's place",
       [](const std::string&, const std::string& target) {
         fs::remove_all(target);
         std::ofstream(target) << kManifest;
       },
       "", false},
      {"the folder is a link to a package",
       [](const std::string& home, const std::string& target) {
         fs::rename(target, home + "/Quodline.bundle");
         fs::create_directory_symlink(home + "/Quodline.bundle", target);
       },
       "", false},
      {"a link on the way to the folder",
       [](const std::string& home, const std::string&) {
         fs::rename(home + "/Library", home + "/RealLibrary");
         fs::create_directory_symlink("RealLibrary", home + "/Library");
       },
       "", false},
      {"no manifest",
       [](const std::string&, const std::string& target) { fs::remove(target + "/PackageContents.xml"); }, "", false},
      {"a pipe in the manifest's place",
       [](const std::string&, const std::string& target) {
         fs::remove(target + "/PackageContents.xml");
         mkfifo((target + "/PackageContents.xml").c_str(), 0600);
       },
       "", false},
      {"a damaged manifest", manifest("<ApplicationPackage Name=\"Quodline\""), "", false},
      {"another root element", manifest(withRoot("Package")), "", false},
      {"the name in another case",
       manifest("<ApplicationPackage Name=\"quodline\" ProductCode=\"{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}\"/>"), "",
       false},
      {"the product code in another case",
       manifest("<ApplicationPackage Name=\"Quodline\" ProductCode=\"{7d3a91c2-5e48-4b06-9f1d-2c8e64a0b357}\"/>"), "",
       false},
      {"no product code", manifest("<ApplicationPackage Name=\"Quodline\"/>"), "", false},
      {"the name given twice",
       manifest("<ApplicationPackage Name=\"Other\" Name=\"Quodline\" "
                "ProductCode=\"{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}\"/>"),
       "", false},
  };
  for (const Case& c : cases) {
    TempFolder scratch("quodl-uninstall-target");
    const std::string home = fs::canonical(scratch.path()).string();
    const std::string target = QDLUninstallTarget(home);
    fs::create_directories(target + "/Contents/Linux");
    std::ofstream(target + "/PackageContents.xml") << kManifest;
    if (c.arrange) c.arrange(home, target);
    const std::string address = c.address.empty() ? target : home + "/" + c.address;
    EXPECT_EQ(QDLValidateUninstallTarget(address, home), c.valid) << c.what;
  }
  // The address must be the install folder of the home given.
  TempFolder scratch("quodl-uninstall-target");
  const std::string home = fs::canonical(scratch.path()).string();
  fs::create_directories(QDLUninstallTarget(home));
  std::ofstream(QDLUninstallTarget(home) + "/PackageContents.xml") << kManifest;
  EXPECT_TRUE(QDLValidateUninstallTarget(QDLUninstallTarget(home), home));
  EXPECT_FALSE(QDLValidateUninstallTarget(QDLUninstallTarget(home), home + "/Library"));
}

TEST(OlderSystemWideCopy, IsAtTheSystemPathUnlessTestsMoveTheRoot) {
  const char* old = getenv("QUODL_SYSTEM_ROOT");
  const std::string saved = old ? old : "";
  unsetenv("QUODL_SYSTEM_ROOT");
  EXPECT_EQ(olderSystemWideCopy(), "/Library/Application Support/Autodesk/ApplicationPlugins/Quodline.bundle");
  setenv("QUODL_SYSTEM_ROOT", "relative", 1);
  EXPECT_EQ(olderSystemWideCopy(), "/Library/Application Support/Autodesk/ApplicationPlugins/Quodline.bundle");
  setenv("QUODL_SYSTEM_ROOT", "/tmp/root/", 1);
  EXPECT_EQ(olderSystemWideCopy(), "/tmp/root/Library/Application Support/Autodesk/ApplicationPlugins/Quodline.bundle");
  if (old) {
    setenv("QUODL_SYSTEM_ROOT", saved.c_str(), 1);
  } else {
    unsetenv("QUODL_SYSTEM_ROOT");
  }
}

}  // namespace
