// The two formats of `zu_kirdo_dump export`. Each writes every node of an
// ExportSet in its order, closes what it wrote, and returns false with
// `error` set as soon as the output fails; removing what was written is the
// caller's part.
#pragma once

#include <string>

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

}  // namespace zu::dump
