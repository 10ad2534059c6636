#include "forms/HitMarks.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include "core/Search.h"
#include "text/Cp932.h"

namespace zu {

namespace {

// The colour of a marker pen: apart from the selection's colour, and dark
// text stays readable on it.
const QColor kMarkBackground(255, 238, 0);
const QColor kMarkText(Qt::black);

// Where in the shown text the bytes before `byte` end: `byte` is a character
// boundary, so the decoder's characters end there too.
qsizetype ShownOffset(std::string_view cp932, size_t byte) { return DecodedLength(cp932.substr(0, byte)); }

void AddLineMarks(const QTextBlock& block, std::string_view line, const std::vector<size_t>& at,
                  size_t length, QList<QTextEdit::ExtraSelection>& marks) {
  QTextCharFormat format;
  format.setBackground(kMarkBackground);
  format.setForeground(kMarkText);
  for (const size_t start : at) {
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + static_cast<int>(ShownOffset(line, start)));
    cursor.setPosition(block.position() + static_cast<int>(ShownOffset(line, start + length)),
                       QTextCursor::KeepAnchor);
    marks.append({cursor, format});
  }
}

// The caret goes to the start of the line (it was at the top; no text gets
// selected), and the pane centres it as far as its scroll range allows.
void BringLineIntoView(QPlainTextEdit& pane, const QTextBlock& block) {
  pane.setTextCursor(QTextCursor(block));
  pane.centerCursor();
}

// A field's mark is its selection, which a line edit without the focus drops
// each time its window is activated: Qt posts that deselection as the
// activation arrives. The keeper posts the mark again behind it.
class FieldMarkKeeper : public QObject {
 public:
  static constexpr const char* Name = "zu_FieldMarkKeeper";

  explicit FieldMarkKeeper(QLineEdit& field) : QObject(&field), field_(field) {
    setObjectName(QString::fromLatin1(Name));
    field.installEventFilter(this);
  }

  void Set(int start, int length) {
    start_ = start;
    length_ = length;
    Apply();
  }

  void Clear() {
    length_ = 0;
    field_.deselect();
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && length_ > 0) {
      // This runs before the field posts its deselection; one more hop
      // puts the mark after it.
      QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { Apply(); }); });
    }
    return false;
  }

 private:
  void Apply() {
    if (length_ > 0) field_.setSelection(start_, length_);
  }

  QLineEdit& field_;
  int start_ = 0;
  int length_ = 0;
};

// Found by its name: without a meta-object of its own, a cast by type
// would take any child of the field.
FieldMarkKeeper* KeeperOf(QLineEdit& field) {
  QObject* keeper =
      field.findChild<QObject*>(QString::fromLatin1(FieldMarkKeeper::Name), Qt::FindDirectChildrenOnly);
  return static_cast<FieldMarkKeeper*>(keeper);
}

}  // namespace

bool MarkBodyHits(QPlainTextEdit& pane, const std::vector<std::string>& lines, std::string_view pattern) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextBlock first;
  const QTextDocument& document = *pane.document();
  for (size_t j = 0; j < lines.size(); ++j) {
    const std::vector<size_t> at = MatchPositions(lines[j], pattern);
    if (at.empty()) continue;
    const QTextBlock block = document.findBlockByNumber(static_cast<int>(j));
    if (!block.isValid()) break;
    if (!first.isValid()) first = block;
    AddLineMarks(block, lines[j], at, pattern.size(), marks);
  }
  pane.setExtraSelections(marks);
  if (!first.isValid()) return false;
  BringLineIntoView(pane, first);
  return true;
}

void ClearBodyMarks(QPlainTextEdit& pane) { pane.setExtraSelections({}); }

void MarkFieldHit(QLineEdit& field, std::string_view cp932, std::string_view pattern) {
  const std::vector<size_t> at = MatchPositions(cp932, pattern);
  FieldMarkKeeper* keeper = KeeperOf(field);
  if (at.empty() || keeper == nullptr) return;
  const qsizetype start = ShownOffset(cp932, at.front());
  keeper->Set(static_cast<int>(start),
              static_cast<int>(ShownOffset(cp932, at.front() + pattern.size()) - start));
}

void ClearFieldMark(QLineEdit& field) {
  if (FieldMarkKeeper* keeper = KeeperOf(field)) keeper->Clear();
}

void SetUpFieldMarks(QLineEdit& field) {
  if (KeeperOf(field) == nullptr) new FieldMarkKeeper(field);  // owned by the field
  QPalette colours = field.palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Highlight, kMarkBackground);
    colours.setColor(group, QPalette::HighlightedText, kMarkText);
  }
  field.setPalette(colours);
}

}  // namespace zu
