#include "engine_alone.h"

#include "cad/plot/publish_engine.h"
#include "foundation/text.h"

bool plotWithEngine(std::vector<VexBatchPrintPreparedPage>& prepared, std::size_t first, std::size_t count,
                    const std::string& file) {
  cad::PlotEngine* engine = nullptr;
  if (cad::PlotFactory::createPublishEngine(engine) != cad::eOk || engine == nullptr) return false;
  bool ok = engine->beginPlot(nullptr) == cad::eOk &&
            engine->beginDocument(*prepared[first].plotInfo, L"bench", nullptr, 1, true,
                                  foundation::wideFromUtf8Lossy(file).c_str()) == cad::eOk;
  for (std::size_t i = first; ok && i < first + count; ++i) {
    cad::PlotPageInfo pageInfo;
    ok = engine->beginPage(pageInfo, *prepared[i].plotInfo, i + 1 == first + count) == cad::eOk &&
         engine->beginGenerateGraphics() == cad::eOk && engine->endGenerateGraphics() == cad::eOk &&
         engine->endPage() == cad::eOk;
  }
  ok = engine->endDocument() == cad::eOk && ok;
  ok = engine->endPlot() == cad::eOk && ok;
  engine->destroy();
  return ok;
}
