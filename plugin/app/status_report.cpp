#include "app/status_report.h"

#include <cstdint>
#include <string>

#include "cad/command_line.h"
#include "core/call_trace.h"
#include "core/panel_lifecycle.h"
#include "core/version.h"
#include "plot/last_result.h"
#include "plot/print_jobs.h"
#include "recognition/layout_scan.h"
#include "recognition/recognition_state.h"

namespace {

constexpr wchar_t kBuildLine[] = L"\nDUZOZAREDBUILD print_fix=mac-layout-isolation-20260918-r1";

// Texts are printed as they are, not quoted: a path with blanks runs on until the next key.
constexpr wchar_t kStatusFormat[] =
    L"\nDUZOZAREDSTATUS version=%ls product=quodline ctbfix=20"
    L" recognition="
    L"independent-physical-frame-v1+viewport-evidence-only+zero-one-many-viewports+block-frame-absolute-priority"
    L"+model-layout-parity+model-top-level-physical-candidates+scaled-iso-model-frame"
    L"+shared-block-physical-border-signature+layout-cloud-block-rejection+model-block-physical-border-signature"
    L"+revision-cloud-block-rejection+source-aware-nesting+tight-single-viewport-frame-v13+point-layer+point-range"
    L"+same-block+layout-model-range+standalone-rectangle+plain-rectangle-peers+four-line-reserved-frames"
    L"+nonplottable-toggle+blank-rectangle-toggle+blank-overlap-evidence+partial-viewport-frame"
    L"+unmatched-content-bearing-iso-frame+global-nested-frame-exclusion+parent-filter-before-viewport-pairing"
    L"+final-region-nesting-guard"
    L" ui="
    L"content-sized-columns-v3+single-page-preview+range-cross-highlight+cad-panel-front+output-location-presets"
    L"+visible-version+selected-row-paper+content-scale-percent+source-name-pdf"
    L" pdf="
    L"validated-native-window+per-page-paper+aspect-fit-no-crop+fixed-media-content-scale+source-paper-override"
    L"+source-media-aware+no-raster-border-guess"
    L" font=allinonebig-compat preflight=pdf-style-font-path-disk"
    L" recovery=user-owned-snapshot+legacy-read+split-resume+stable-index+page-paper-scale"
    L" mixed_media=source-media-aware+overall-progress"
    L" layout_raw=%ld layout_filtered=%ld layout_final=%ld visible=%ls last=%ls cancelled=%ls recoverable=%ls"
    L" remaining=%ld completed=%ld/%ld items=%d pages=%d outputs=%ld output=%ls log=%ls error=%ls";

const wchar_t* yesNo(bool value) { return value ? L"YES" : L"NO"; }

const wchar_t* orDash(const std::wstring& text) { return text.empty() ? L"-" : text.c_str(); }

long asLong(std::uint64_t count) { return static_cast<long>(static_cast<std::int64_t>(count)); }

}  // namespace

void vexBatchPrintPrintStatus() {
  quodlTraceCall("vexBatchPrintPrintStatus");
  cad::acutPrintf(kBuildLine);
  // Scanned for the counts only; the records are dropped and no panel's list changes.
  const std::size_t layoutFinal = vexCollectPaperLayouts().size();
  const VexBatchPrintPendingJob& job = gBatchPrintPendingJob;
  cad::acutPrintf(kStatusFormat, kQuodlVersionWide, asLong(gBatchLayoutDiagnostics.rawCandidates),
                  asLong(gBatchLayoutDiagnostics.filteredOut), asLong(layoutFinal),
                  yesNo(vexBatchPrintPanelIsVisible()), gBatchPrintLastSucceeded ? L"PASS" : L"NONE_OR_FAIL",
                  yesNo(gBatchPrintLastCancelled), yesNo(job.active), asLong(job.pages.size()),
                  asLong(job.completedPageCount), asLong(job.totalPageCount),
                  static_cast<int>(gBatchPrintLastLayoutCount), static_cast<int>(gBatchPrintLastPageCount),
                  asLong(gBatchPrintLastOutputs.size()), orDash(gBatchPrintLastOutput), orDash(gBatchPrintLastLog),
                  orDash(gBatchPrintLastError));
}
