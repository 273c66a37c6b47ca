#include <gtest/gtest.h>

#include "cad/app_loader.h"
#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/dynamic_linker.h"
#include "cad/editor.h"
#include "cad/transient.h"
#include "host_fixture.h"

namespace {

using cadtest::HostTest;

class AppLoaderTest : public HostTest {
 protected:
  void TearDown() override {
    // Never leave the module loaded for the next test.
    cad::commandLoop().type(L"RELEASETEST ");
    cad::appLoader().unloadAll();
    HostTest::TearDown();
  }
  cad::AppLoader& loader = cad::appLoader();
};

TEST_F(AppLoaderTest, InitialisesTheModuleWhichRegistersItsCommands) {
  const cad::AppLoader::LoadResult loaded = loader.load(QUODL_TEST_PLUGIN);
  ASSERT_NE(loaded.app, nullptr) << loaded.error;
  EXPECT_NE(cad::commandStack().lookupGlobalCmd(L"HELLOTEST"), nullptr);
  EXPECT_EQ(cad::dynamicLinker().unlocked, std::vector<void*>{loaded.app->appId()});
  EXPECT_NE(cad::commandLine().transcript().find(L"Test plug-in loaded."), std::wstring::npos);
  EXPECT_EQ(loader.load(QUODL_TEST_PLUGIN).app, nullptr);  // once only
  EXPECT_EQ(loader.loaded().size(), 1u);

  openDrawing();
  cad::commandLoop().type(L"HELLOTEST\n");
  EXPECT_NE(cad::commandLine().transcript().find(L"Hello from the test plug-in; CTAB=Model"), std::wstring::npos);

  const cad::AppLoader::UnloadResult unloaded = loader.unload(loaded.app);
  EXPECT_EQ(unloaded.answer, cad::kRetOK);
  EXPECT_TRUE(unloaded.unloaded);
  EXPECT_TRUE(unloaded.message.empty());
  EXPECT_TRUE(loader.loaded().empty());
  EXPECT_EQ(cad::commandStack().lookupGlobalCmd(L"HELLOTEST"), nullptr);
}

TEST_F(AppLoaderTest, ARefusedUnloadKeepsTheModuleLoaded) {
  cad::LoadedApp* app = loader.load(QUODL_TEST_PLUGIN).app;
  ASSERT_NE(app, nullptr);
  cad::commandLoop().type(L"HOLDTEST\n");
  const cad::AppLoader::UnloadResult refused = loader.unload(app);
  EXPECT_EQ(refused.answer, cad::kRetError);
  EXPECT_FALSE(refused.unloaded);
  EXPECT_NE(refused.message.find("refused to unload"), std::string::npos);
  ASSERT_EQ(loader.loaded().size(), 1u);
  EXPECT_NE(cad::commandStack().lookupGlobalCmd(L"HELLOTEST"), nullptr);

  cad::commandLoop().type(L"RELEASETEST\n");
  EXPECT_TRUE(loader.unload(app).unloaded);
}

TEST_F(AppLoaderTest, CommandsLeftBehindAreRemovedBeforeTheModuleGoes) {
  cad::LoadedApp* app = loader.load(QUODL_TEST_PLUGIN).app;
  ASSERT_NE(app, nullptr);
  cad::commandLoop().type(L"LEAVETEST\n");
  const cad::AppLoader::UnloadResult result = loader.unload(app);
  EXPECT_TRUE(result.unloaded);
  EXPECT_NE(result.message.find("left 8 command(s)"), std::string::npos) << result.message;
  EXPECT_TRUE(cad::commandStack().commands().empty());
}

TEST_F(AppLoaderTest, ReactorsAndTransientsLeftBehindAreRemovedBeforeTheModuleGoes) {
  openDrawing();
  cad::LoadedApp* app = loader.load(QUODL_TEST_PLUGIN).app;
  ASSERT_NE(app, nullptr);
  cadtest::CommandStartLog hostOwn;  // the host's own reactor is none of the module's business
  const std::size_t editorReactors = cad::editor().reactorCount();
  cad::commandLoop().type(L"LEAVEHOSTTEST\n");
  ASSERT_EQ(cad::editor().reactorCount(), editorReactors + 1);
  ASSERT_EQ(cad::docManager().reactors().size(), 1u);
  ASSERT_EQ(cad::acgiGetTransientManager()->live().size(), 1u);

  const cad::AppLoader::UnloadResult result = loader.unload(app);
  EXPECT_TRUE(result.unloaded);
  EXPECT_NE(result.message.find("left 3 reactor(s) or transient graphic(s)"), std::string::npos) << result.message;
  EXPECT_EQ(cad::editor().reactorCount(), editorReactors);
  EXPECT_TRUE(cad::editor().hasReactor(&hostOwn));
  EXPECT_TRUE(cad::docManager().reactors().empty());
  EXPECT_TRUE(cad::acgiGetTransientManager()->live().empty());
}

TEST_F(AppLoaderTest, ModulesThatCannotBeLoaded) {
  EXPECT_NE(loader.load(folder() + "/missing.so").error.find("Cannot load"), std::string::npos);
  const std::string text = writeFile("not-a-module.so", "plain text");
  EXPECT_NE(loader.load(text).error, "");
  // A real shared object without the entry point.
  EXPECT_NE(loader.load(QUODL_CAD_LIBRARY).error.find("no acrxEntryPoint"), std::string::npos);
  EXPECT_NE(loader.load("").error, "");
  EXPECT_TRUE(loader.loaded().empty());
  EXPECT_EQ(loader.unload(nullptr).answer, cad::kRetError);
}

}  // namespace
