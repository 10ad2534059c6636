// The two formats of `zu_kirdo_dump export`. Each writes every node of an
// ExportSet in its order, then commits the output (which gives it its name),
// and returns false with `error` set as soon as the output fails; what was
// written goes with the output object.
#pragma once

#include <string>
#include <string_view>

#include "ExportModel.h"
#include "ExportOutput.h"

namespace zu::dump {

// One mbox file (mboxrd: a body line that starts with "From ", after any
// number of '>', gets one more '>'). Every message is one mail whose
// Message-ID, In-Reply-To and References make a mail client thread the file
// as the viewer's tree; a placeholder is a parent that the file lacks.
bool WriteMbox(const ExportSet& set, OutputFile& out, std::string& error);

// A folder of static pages: index.html with the whole tree as nested lists,
// one page per top-level node with its messages in tree order, and
// unplaced.html when messages were left out of a full tree.
bool WriteHtml(const ExportSet& set, OutputFolder& folder, std::string& error);

// UTF-8 text for a page: markup characters as references, every control
// but TAB and LF visible (AppendVisible), since HTML allows none in a page.
void AppendHtmlText(std::string& out, std::string_view text);

}  // namespace zu::dump
