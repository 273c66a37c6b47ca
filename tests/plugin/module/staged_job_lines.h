#pragma once
// A print job as the helper plug-in stages it in cadhost (QDLPROBESTAGE): its texts and its page lines.

#include <string>

#include "recognition/page_spec.h"

// A text as the helper plug-in reads it from the command line, where a blank would end it.
std::string stagedJobText(const std::wstring& text);

// A page as the helper plug-in reads it.
std::string stagedJobPageLine(const VexBatchPrintPageSpec& page);
