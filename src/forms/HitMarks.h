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
// The first occurrence in the pane is brought into view down and across.
#pragma once

#include <QObject>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace zu {

// Marks every occurrence of `pattern` in `lines` (the pane's lines as CP932
// bytes, line j shown as block j) and brings the first occurrence into view,
// its line centred when the pane can scroll that far, so that it never sits
// at the top edge with nothing above it, and its place in a long line
// scrolled to. False, with no mark, when no line holds the pattern.
bool MarkBodyHits(QPlainTextEdit& pane, const std::vector<std::string>& lines, std::string_view pattern);

// Takes the marks away from the pane.
void ClearBodyMarks(QPlainTextEdit& pane);

// The mark of one message field: the field's own selection, coloured as the
// pane's marks. Qt drops a line edit's selection each time its window is
// activated, as when the search conditions dialog closes; the mark is put
// back behind that. Made by SetUp and owned by its field.
class FieldMark : public QObject {
 public:
  // Gives `field` the marks' colours for its selection, and its mark.
  static FieldMark& SetUp(QLineEdit& field);

  // Marks the first occurrence of `pattern` in `cp932`, the CP932 text the
  // field shows; no occurrence, no mark.
  void Mark(std::string_view cp932, std::string_view pattern);
  // Takes the mark away.
  void Clear();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit FieldMark(QLineEdit& field);
  void Apply();

  QLineEdit& field_;
  int start_ = 0;
  int length_ = 0;  // 0: no mark
};

}  // namespace zu
