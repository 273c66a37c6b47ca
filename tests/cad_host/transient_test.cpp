#include <gtest/gtest.h>

#include <memory>

#include "cad/command_line.h"
#include "cad/entities.h"
#include "cad/transient.h"
#include "host_fixture.h"

namespace {

using cadtest::HostTest;

class TransientTest : public HostTest {};

TEST_F(TransientTest, AddsAndErasesWithTheirParameters) {
  cad::TransientManager* manager = cad::acgiGetTransientManager();
  ASSERT_NE(manager, nullptr);
  auto outline = std::make_unique<cad::Polyline>();
  auto label = std::make_unique<cad::MText>();
  const std::vector<int> viewports = {2};
  EXPECT_TRUE(manager->addTransient(outline.get(), cad::kAcGiDirectTopmost, 128, viewports));
  EXPECT_TRUE(manager->addTransient(label.get(), cad::kAcGiDirectTopmost, 128, viewports));
  EXPECT_FALSE(manager->addTransient(outline.get(), cad::kAcGiDirectTopmost, 128, viewports));  // shown already
  EXPECT_FALSE(manager->addTransient(nullptr, cad::kAcGiMain, 0, viewports));
  ASSERT_EQ(manager->live().size(), 2u);
  EXPECT_EQ(manager->live()[0].mode, 4);
  EXPECT_EQ(manager->live()[0].subMode, 128);
  EXPECT_EQ(manager->live()[0].viewports, viewports);

  EXPECT_TRUE(manager->eraseTransient(outline.get(), viewports));
  EXPECT_FALSE(manager->eraseTransient(outline.get(), viewports));
  EXPECT_FALSE(manager->isShown(outline.get()));
  EXPECT_TRUE(manager->isShown(label.get()));
  EXPECT_TRUE(manager->eraseTransient(label.get(), viewports));
  EXPECT_TRUE(manager->live().empty());
}

TEST_F(TransientTest, ADrawableDestroyedWhileShownIsDroppedAndSaid) {
  cad::TransientManager* manager = cad::acgiGetTransientManager();
  auto shown = std::make_unique<cad::Polyline>();
  auto erased = std::make_unique<cad::Polyline>();
  ASSERT_TRUE(manager->addTransient(shown.get(), cad::kAcGiDirectTopmost, 128, {1}));
  ASSERT_TRUE(manager->addTransient(erased.get(), cad::kAcGiDirectTopmost, 128, {1}));
  manager->eraseTransient(erased.get(), {1});
  erased.reset();
  EXPECT_EQ(manager->destroyedWhileShown, 0);

  shown.reset();
  EXPECT_TRUE(manager->live().empty());  // the host holds no pointer to freed memory
  EXPECT_EQ(manager->destroyedWhileShown, 1);
  EXPECT_NE(cad::commandLine().transcript().find(L"destroyed while it was still shown"), std::wstring::npos);
}

TEST_F(TransientTest, TheNthAddCanBeRefusedAndTheManagerCanBeAbsent) {
  cad::TransientManager* manager = cad::acgiGetTransientManager();
  manager->refuseCall = 2;
  cad::Line a, b, c;
  EXPECT_TRUE(manager->addTransient(&a, cad::kAcGiMain, 0, {}));
  EXPECT_FALSE(manager->addTransient(&b, cad::kAcGiMain, 0, {}));
  EXPECT_TRUE(manager->addTransient(&c, cad::kAcGiMain, 0, {}));
  EXPECT_EQ(manager->live().size(), 2u);
  manager->eraseTransient(&a, {});
  manager->eraseTransient(&c, {});

  cad::setTransientManagerAbsent(true);
  EXPECT_EQ(cad::acgiGetTransientManager(), nullptr);
}

}  // namespace
