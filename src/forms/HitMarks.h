// Shows where the search found its text in the message it selected: in the
// text pane every occurrence is marked with a highlight colour and the first
// line that holds one is scrolled into view; in a message field the
// occurrence is marked with the same colour. Occurrences are found by the
// search's own rule (zu::MatchPositions) on the CP932 bytes and mapped to the
// characters that the pane and the fields show.
//
// The pane's marks are extra selections: its selection, and with it Copy's
// enabling and the clipboard, is left as it is. A field is disabled, takes
// no focus and is never copied; its mark is its own selection, which Qt
// draws in a disabled field, set by program (which leaves the X11 primary
// selection alone) and set again after Qt drops it on window activation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace zu {

// Marks every occurrence of `pattern` in `lines` (the pane's lines as CP932
// bytes, line j shown as block j) and brings the first line that holds one
// into view, centred when the pane can scroll that far, so that it never
// sits at the top edge with nothing above it. False, with no mark, when no
// line holds the pattern.
bool MarkBodyHits(QPlainTextEdit& pane, const std::vector<std::string>& lines, std::string_view pattern);

// Takes the marks away from the pane.
void ClearBodyMarks(QPlainTextEdit& pane);

// Marks the first occurrence of `pattern` in a field that shows the CP932
// text `cp932`. The field must have been set up with SetUpFieldMarks.
void MarkFieldHit(QLineEdit& field, std::string_view cp932, std::string_view pattern);

// Takes the mark away from the field.
void ClearFieldMark(QLineEdit& field);

// Gives a disabled field the marks' colours for its selection and what keeps
// its mark.
void SetUpFieldMarks(QLineEdit& field);

}  // namespace zu
