#include "forms/Unit1.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPrinter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "core/MessageView.h"
#include "core/Messages.h"
#include "core/PrintLayout.h"
#include "core/Search.h"
#include "forms/Application.h"
#include "forms/HitMarks.h"
#include "forms/Looks.h"
#include "forms/MenuShortcuts.h"
#include "forms/OpenDialog.h"
#include "forms/PrintJob.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "forms/WindowDialogs.h"
#include "reader/zuLogFile.h"
#include "source/LogSource.h"
#include "text/Cp932.h"
#include "ui_Unit1.h"

namespace zu {

TFrm_Kirdo* Frm_Kirdo = nullptr;

namespace {

constexpr int ClientWidth = 681;
constexpr int ClientHeight = 451;
constexpr int ToolbarHeight = 41;   // Panel1
constexpr int SplitterWidth = 3;    // Panel2
constexpr int NarrowPane = 50;      // a pane this narrow is not narrowed further

// Tree items carry the log set's node id, the way back from a selection to
// its message.
constexpr int NodeItemType = QTreeWidgetItem::UserType + 1;

class NodeItem : public QTreeWidgetItem {
 public:
  NodeItem(NodeId id, const QString& caption)
      : QTreeWidgetItem(QStringList{caption}, NodeItemType), id_(id) {}
  NodeId Id() const { return id_; }

 private:
  NodeId id_;
};

// Body lines are laid out in columns by their writers, so the pane needs a
// fixed-pitch face that also has the Japanese characters.
constexpr int kBodyPixels = 12;
constexpr int kBodyPixelsLeast = 8;
constexpr int kBodyPixelsMost = 72;
constexpr int kBodyPixelsStep = 2;

QFont TextPaneFont(int pixels = kBodyPixels) {
  QFont font = FixedPitchFont();
  font.setPixelSize(pixels);
  return font;
}

// One picture file holds the enabled image on the left and the disabled one
// on the right, each as wide as the picture is high.
QIcon ButtonIcon(const char* resource) {
  const QPixmap both(QString::fromUtf8(resource));
  const int side = both.height();
  QIcon icon;
  icon.addPixmap(both.copy(0, 0, side, side), QIcon::Normal);
  icon.addPixmap(both.copy(side, 0, side, side), QIcon::Disabled);
  return icon;
}

// The body as the pane's text, decoded in one piece: LF is never the second
// byte of a double-byte character, so a line that ends in a cut lead byte
// still ends where it did.
QString JoinLines(const std::vector<std::string>& lines) {
  size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 1;
  std::string joined;
  joined.reserve(bytes);
  for (const std::string& line : lines) {
    if (&line != &lines.front()) joined += '\n';
    joined += line;
  }
  return FromCp932(joined);
}

}  // namespace

TFrm_Kirdo::TFrm_Kirdo(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TFrm_Kirdo>()) {
  ui_->setupUi(this);
  TakeComponents();
  SetUpLooks();
  ConnectCommands();
  // The reader takes every file as a log, whatever encoding or archive it came in.
  LogReader.UseSource(FilesAsLogs());
  logSet_ = std::make_unique<LogSet>(LogReader, static_cast<LogSetUi&>(*this));
  logSet_->ResetLogSet();  // as every Open starts
  LogReader.AllocateBuffer();  // without a buffer every file fails to open, and says so
  qApp->installEventFilter(new MenuShortcuts(*this));
  AcceptDropsOnWholeWindow();
}

// Qt gives a drop to the innermost widget under the cursor that accepts
// drops, and the text pane and fields would take it only to refuse a file.
// They are read-only, so they lose nothing by leaving every drop to the window.
void TFrm_Kirdo::AcceptDropsOnWholeWindow() {
  for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
  setAcceptDrops(true);
}

TFrm_Kirdo::~TFrm_Kirdo() { qDeleteAll(pendingTopLevel_); }

void TFrm_Kirdo::TakeComponents() {
  MM_Text = ui_->MM_Text;
  TV_Log = ui_->TV_Log;
  MN_Menu = ui_->MN_Menu;
  MN_File = ui_->MN_File;
  MN_File_Open = ui_->MN_File_Open;
  N1 = ui_->N1;
  MN_File_Print = ui_->MN_File_Print;
  N2 = ui_->N2;
  MN_File_Exit = ui_->MN_File_Exit;
  MN_Edit = ui_->MN_Edit;
  MN_Edit_Copy = ui_->MN_Edit_Copy;
  N3 = ui_->N3;
  MN_Edit_Search = ui_->MN_Edit_Search;
  MN_Edit_SearchSet = ui_->MN_Edit_SearchSet;
  MN_Info = ui_->MN_Info;
  MN_Info_Help = ui_->MN_Info_Help;
  N4 = ui_->N4;
  MN_Info_Info = ui_->MN_Info_Info;
  Panel1 = ui_->Panel1;
  Panel2 = ui_->Panel2;
  SB_File_Open = ui_->SB_File_Open;
  SB_File_Print = ui_->SB_File_Print;
  SB_File_Exit = ui_->SB_File_Exit;
  SB_Edit_Copy = ui_->SB_Edit_Copy;
  SB_Edit_Search = ui_->SB_Edit_Search;
  SB_Edit_SearchSet = ui_->SB_Edit_SearchSet;
  SB_Info_Help = ui_->SB_Info_Help;
  SB_Info_Info = ui_->SB_Info_Info;
  Ed_Name = ui_->Ed_Name;
  Label1 = ui_->Label1;
  Ed_ID = ui_->Ed_ID;
  Ed_DateTime = ui_->Ed_DateTime;
  Label2 = ui_->Label2;
  Label3 = ui_->Label3;
  Ed_Number = ui_->Ed_Number;
  Label4 = ui_->Label4;
}

void TFrm_Kirdo::SetUpLooks() {
  setFont(WindowFont());
  MM_Text->setFont(TextPaneFont());
  MM_Text->setTabChangesFocus(true);  // Tab moves between the tree and the pane
  SetUpPictures();
  SetUpFields();
  SetUpTree();
  SetUpAccessibleNames();
  Panel2->setAutoFillBackground(true);
  Panel2->setBackgroundRole(QPalette::Button);

  treeWidth_ = TV_Log->width();
  centralWidget()->installEventFilter(this);
  Panel2->installEventFilter(this);
  TV_Log->installEventFilter(this);
  TV_Log->viewport()->installEventFilter(this);
  MM_Text->viewport()->installEventFilter(this);  // Ctrl with the wheel zooms the body
  resize(ClientWidth, ClientHeight + MN_Menu->sizeHint().height());
  LayoutClient();
  setTabOrder(TV_Log, MM_Text);
  TV_Log->setFocus();
}

void TFrm_Kirdo::SetUpPictures() {
  setWindowIcon(QIcon(QStringLiteral(":/zu_kirdo/zu_kirdo.xpm")));
  const std::pair<QToolButton*, const char*> pictures[] = {
      {SB_File_Open, ":/zu_kirdo/file_open.xpm"},
      {SB_File_Print, ":/zu_kirdo/file_print.xpm"},
      {SB_File_Exit, ":/zu_kirdo/file_exit.xpm"},
      {SB_Edit_Copy, ":/zu_kirdo/edit_copy.xpm"},
      {SB_Edit_Search, ":/zu_kirdo/edit_search.xpm"},
      {SB_Edit_SearchSet, ":/zu_kirdo/edit_searchset.xpm"},
      {SB_Info_Help, ":/zu_kirdo/info_help.xpm"},
      {SB_Info_Info, ":/zu_kirdo/info_info.xpm"},
  };
  for (const auto& [button, resource] : pictures) button->setIcon(ButtonIcon(resource));
}

void TFrm_Kirdo::SetUpFields() {
  // The fields are disabled so that they take no focus, clicks or input, yet
  // they must stay readable: disabled text keeps the window-text colour.
  // Ed_Number's own font colour is the window colour; it is drawn on black,
  // the way a field without a background colour of its own comes out.
  for (QLineEdit* field : {Ed_Number, Ed_Name, Ed_ID, Ed_DateTime}) {
    QPalette colours = field->palette();
    const bool number = field == Ed_Number;
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     colours.color(QPalette::Active, number ? QPalette::Base : QPalette::WindowText));
    colours.setColor(QPalette::Disabled, QPalette::Base,
                     number ? QColor(Qt::black) : colours.color(QPalette::Active, QPalette::Base));
    field->setPalette(colours);
    field->setTextMargins(1, 0, 1, 0);
  }
  numberMark_ = &FieldMark::SetUp(*Ed_Number);
  nameMark_ = &FieldMark::SetUp(*Ed_Name);
  idMark_ = &FieldMark::SetUp(*Ed_ID);
  for (QLabel* label : {Label1, Label2, Label3, Label4}) label->adjustSize();
}

void TFrm_Kirdo::SetUpTree() {
  // The selected node stays marked while the text pane has the focus.
  QPalette treeColours = TV_Log->palette();
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    treeColours.setColor(QPalette::Inactive, role, treeColours.color(QPalette::Active, role));
  }
  TV_Log->setPalette(treeColours);
  // Long titles are shown whole and reached by scrolling, not cut short: the
  // column is as wide as the widest row in view. Fitted to a thousand rows
  // around those in view, as Qt does by default, it leaves out the last row
  // of the tree (the end of a deep reply chain would be cut short), and it
  // lags behind a scroll down a chain; fitted to the rows in view it is
  // cheap enough to fit again at every scroll.
  QHeaderView& column = *TV_Log->header();
  column.setStretchLastSection(false);
  column.setSectionResizeMode(0, QHeaderView::ResizeToContents);
  column.setResizeContentsPrecision(0);
  connect(TV_Log->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this] { TV_Log->header()->resizeSections(QHeaderView::ResizeToContents); });
  // This style draws the dotted lines between the nodes.
  if (QStyle* lines = QStyleFactory::create(QStringLiteral("Windows"))) {
    lines->setParent(TV_Log);
    TV_Log->setStyle(lines);
  }
}

// What a screen reader says of each control. The form names the tree, the
// pane and the panels, and links each field to its caption; a picture button
// says its hint, and the pane's scroll bars, which the form does not hold,
// say whose they are.
void TFrm_Kirdo::SetUpAccessibleNames() {
  for (QToolButton* button : Panel1->findChildren<QToolButton*>()) {
    button->setAccessibleName(button->toolTip());
  }
  MM_Text->verticalScrollBar()->setAccessibleName(QStringLiteral("本文の縦スクロールバー"));
  MM_Text->horizontalScrollBar()->setAccessibleName(QStringLiteral("本文の横スクロールバー"));
}

void TFrm_Kirdo::ConnectCommands() {
  const std::pair<QAction*, void (TFrm_Kirdo::*)()> items[] = {
      {MN_File_Open, &TFrm_Kirdo::MN_File_OpenClick},
      {MN_File_Print, &TFrm_Kirdo::MN_File_PrintClick},
      {MN_File_Exit, &TFrm_Kirdo::MN_File_ExitClick},
      {MN_Edit_Copy, &TFrm_Kirdo::MN_Edit_CopyClick},
      {MN_Edit_Search, &TFrm_Kirdo::MN_Edit_SearchClick},
      {MN_Edit_SearchSet, &TFrm_Kirdo::MN_Edit_SearchSetClick},
      {MN_Info_Help, &TFrm_Kirdo::MN_Info_HelpClick},
      {MN_Info_Info, &TFrm_Kirdo::MN_Info_InfoClick},
  };
  for (const auto& [item, handler] : items) connect(item, &QAction::triggered, this, handler);

  const std::pair<QToolButton*, void (TFrm_Kirdo::*)()> buttons[] = {
      {SB_File_Open, &TFrm_Kirdo::MN_File_OpenClick},
      {SB_File_Print, &TFrm_Kirdo::MN_File_PrintClick},
      {SB_File_Exit, &TFrm_Kirdo::MN_File_ExitClick},
      {SB_Edit_Copy, &TFrm_Kirdo::MN_Edit_CopyClick},
      {SB_Edit_Search, &TFrm_Kirdo::MN_Edit_SearchClick},
      {SB_Edit_SearchSet, &TFrm_Kirdo::MN_Edit_SearchSetClick},
      {SB_Info_Help, &TFrm_Kirdo::MN_Info_HelpClick},
      {SB_Info_Info, &TFrm_Kirdo::MN_Info_InfoClick},
  };
  for (const auto& [button, handler] : buttons) connect(button, &QToolButton::clicked, this, handler);

  connect(MN_File, &QMenu::aboutToShow, this, &TFrm_Kirdo::MN_FileClick);
  connect(MN_Edit, &QMenu::aboutToShow, this, &TFrm_Kirdo::MN_EditClick);
  // The selection, not Qt's current item: a tree that gains the focus makes
  // its first item current without selecting it, and that shows nothing.
  connect(TV_Log, &QTreeWidget::itemSelectionChanged, this,
          [this] { TV_LogChange(SelectedItem()); });
  connect(TV_Log, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { RevealCaption(current); });
}

// ---- the log set's front end ----

void TFrm_Kirdo::ClearTree() {
  qDeleteAll(pendingTopLevel_);
  pendingTopLevel_.clear();
  nodeItems_.clear();
  nodeDepths_.clear();
  flattened_ = false;
  TV_Log->clear();
}

// The nodes of a build are put together away from the tree, which takes the
// top level in one insertion when the build is over (ShowBuiltTree). Adding
// 30,000 items one by one to a shown tree costs a model update each; this way
// the Open command of ten full files stays well within half a second.
void TFrm_Kirdo::AddTopLevel(NodeId id, std::string_view caption) {
  auto* item = new NodeItem(id, FromCp932(caption));
  nodeItems_.push_back(item);
  nodeDepths_.push_back(0);
  pendingTopLevel_.append(item);
}

void TFrm_Kirdo::AddChild(NodeId parent, NodeId id, std::string_view caption) {
  auto* item = new NodeItem(id, FromCp932(caption));
  QTreeWidgetItem* under = nodeItems_[parent];
  int32_t depth = nodeDepths_[parent] + 1;
  if (depth > depthLimit_) {
    // Qt lays a tree out recursively: a node deeper than the stack holds
    // stands beside its parent instead, and the view still reads its own.
    under = under->parent();
    depth = nodeDepths_[parent];
    flattened_ = true;
  }
  nodeItems_.push_back(item);
  nodeDepths_.push_back(depth);
  if (under != nullptr) under->addChild(item);
  else pendingTopLevel_.append(item);
}

void TFrm_Kirdo::ShowBuiltTree() {
  TV_Log->addTopLevelItems(pendingTopLevel_);
  pendingTopLevel_.clear();
  // Nothing is selected after a build; this also keeps the tree from making
  // its first item current when it next gains the focus.
  TV_Log->setCurrentIndex(QModelIndex());
  if (flattened_) Warn(Message::TreeTooDeep, std::string());
}

void TFrm_Kirdo::ClearView() {
  ClearBodyMarks(*MM_Text);
  shown_ = MessageView{};
  MM_Text->clear();
  for (FieldMark* mark : {numberMark_, nameMark_, idMark_}) mark->Clear();
  for (QLineEdit* field : {Ed_Number, Ed_Name, Ed_ID, Ed_DateTime}) field->setText(QString());
}

void TFrm_Kirdo::Warn(Message m, const std::string& path) { Dialogs().Warning(this, TextOf(m, path)); }

NodeId TFrm_Kirdo::NodeOf(const QTreeWidgetItem* item) {
  if (item == nullptr || item->type() != NodeItemType) return NoNode;
  return static_cast<const NodeItem*>(item)->Id();
}

QTreeWidgetItem* TFrm_Kirdo::ItemOf(NodeId node) const {
  if (node < 0 || node >= static_cast<NodeId>(nodeItems_.size())) return nullptr;
  return nodeItems_[node];
}

QTreeWidgetItem* TFrm_Kirdo::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = TV_Log->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

NodeId TFrm_Kirdo::SelectedNode() const { return NodeOf(SelectedItem()); }

// ---- commands ----

void TFrm_Kirdo::MN_File_OpenClick() {
  const QStringList chosen = Dialogs().ChooseFiles(this, QString::fromUtf8(OpenDialogTitle));
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(chosen.size()));
  for (const QString& path : chosen) paths.push_back(LocalPathOf(path));
  OpenFiles(paths);
}

void TFrm_Kirdo::OpenFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;  // a cancelled dialog keeps the set, tree and selection
  opening_ = true;
  logSet_->OpenFiles(paths);
  opening_ = false;
  ShowBuiltTree();
}

void TFrm_Kirdo::ForgetUnfinishedOpen() {
  if (!opening_) return;
  opening_ = false;
  logSet_->ResetLogSet();
  ShowBuiltTree();
}

void TFrm_Kirdo::OpenFilesLater(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  QTimer::singleShot(0, this, [this, paths] { OpenFiles(paths); });
}

namespace {

// The paths of the local files among dropped URLs, as bytes: a name that is
// not UTF-8 (a Shift-JIS one) stays percent-encoded in its URL, so decoding
// the encoded path gives back the file system's own bytes.
std::vector<std::string> LocalFilesOf(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr) return paths;
  for (const QUrl& url : data->urls()) {
    const bool local = url.isLocalFile() &&
                       (url.host().isEmpty() || url.host() == QLatin1String("localhost"));
    if (!local) continue;  // a web page, or a file on another machine
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    paths.push_back(QByteArray::fromPercentEncoding(path).toStdString());
  }
  return paths;
}

}  // namespace

void TFrm_Kirdo::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFilesOf(event->mimeData()).empty()) event->acceptProposedAction();
}

void TFrm_Kirdo::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = LocalFilesOf(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  OpenFilesLater(paths);
}

void TFrm_Kirdo::TV_LogChange(QTreeWidgetItem* Node) {
  ClearView();
  if (Node == nullptr) return;
  MessageView view;
  if (!ReadMessageView(*logSet_, NodeOf(Node), view)) return;  // a placeholder, or warned
  Ed_Number->setText(FromCp932(view.Number));
  Ed_Name->setText(FromCp932(view.Name));
  Ed_ID->setText(FromCp932(view.ID));
  Ed_DateTime->setText(FromCp932(view.DateTime));
  // One setting of the whole body: a long body appended line by line would
  // lay the pane out again for every line.
  MM_Text->setPlainText(JoinLines(view.Body));
  shown_ = std::move(view);
}

// The printer and its settings are kept from one print to the next, so the
// print dialog offers the printer or file chosen last; they are not kept
// beyond the run.
void TFrm_Kirdo::MN_File_PrintClick() {
  if (printer_ == nullptr) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (!Dialogs().ChoosePrinter(this, *printer_)) return;
  const NodeId node = SelectedNode();
  if (node == NoNode) return;
  PrintMessage message;
  if (!ReadPrintMessage(*logSet_, node, message)) return;  // a placeholder, or warned
  if (!PrintMessageOn(*printer_, message)) {
    // What the printer refused is shown as the program's other failures are.
    ShowError(this, MessageText(Message::PrintFailed));
  }
}

void TFrm_Kirdo::MN_File_ExitClick() { close(); }

void TFrm_Kirdo::MN_Edit_CopyClick() {
  const QTextCursor cursor = MM_Text->textCursor();
  if (!cursor.hasSelection()) return;  // the clipboard keeps what it holds
  // Plain text only; the pane marks its line ends as paragraph separators.
  QString text = cursor.selectedText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  QGuiApplication::clipboard()->setText(text);
}

void TFrm_Kirdo::MN_Edit_SearchClick() { RunSearch(); }

void TFrm_Kirdo::MN_Edit_SearchSetClick() {
  if (Frm_Search == nullptr) return;
  Dialogs().ShowModal(*Frm_Search);
  if (SearchAccepted == 1) RunSearch();
}

void TFrm_Kirdo::RunSearch() { RunSearchTowards(SearchDirection); }

void TFrm_Kirdo::SearchBackShortcut() {
  MN_EditClick();
  if (MN_Edit_Search->isEnabled()) RunSearchTowards(SearchDirection == 1 ? 2 : 1);
}

void TFrm_Kirdo::RunSearchTowards(int32_t direction) {
  SearchHit hit;
  if (!zu::RunSearch(*logSet_, SelectedNode(), SearchText, direction, SearchFields, hit)) {
    return;  // the search has said why
  }
  ShowHit(Logs()[hit.row][hit.item].Node);
  MarkHit(Logs()[hit.row][hit.item].Title);
}

// Marks the text found in the message now shown, in the field the search
// stopped for. A title is the selected node's caption: nothing more to mark.
void TFrm_Kirdo::MarkHit(std::string_view title) {
  switch (FieldOfHit(shown_, title, SearchText, SearchFields)) {
    case FieldBody: MarkBodyHits(*MM_Text, shown_.Body, SearchText); break;
    case FieldNumber: numberMark_->Mark(shown_.Number, SearchText); break;
    case FieldName: nameMark_->Mark(shown_.Name, SearchText); break;
    case FieldID: idMark_->Mark(shown_.ID, SearchText); break;
    default: break;
  }
}

// Selecting the found node brings it into view and shows it. A message that
// a full tree left out has no node; nothing can be selected for it.
void TFrm_Kirdo::ShowHit(NodeId node) {
  QTreeWidgetItem* item = ItemOf(node);
  if (item == nullptr) {
    TV_Log->setCurrentItem(nullptr);
    TV_Log->clearSelection();
    return;
  }
  TV_Log->setCurrentItem(item);
  TV_Log->scrollToItem(item);
  RevealCaption(item);
}

// Qt scrolls the current row into view, but not across to its caption: the
// caption of a node deep in a long reply chain would stay out of sight. So
// the column is fitted to the rows now in view, this one among them, and the
// tree scrolled across until the whole caption is shown (its beginning, when
// it is wider than the tree).
void TFrm_Kirdo::RevealCaption(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  int levels = TV_Log->rootIsDecorated() ? 1 : 0;
  for (const QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) ++levels;
  const int start = levels * TV_Log->indentation();  // where the caption begins in the column
  const int end = start + TV_Log->sizeHintForIndex(TV_Log->indexFromItem(item)).width();
  QScrollBar& across = *TV_Log->horizontalScrollBar();
  const int shown = TreeViewWidth();
  if (start >= across.value() && end <= across.value() + shown) return;
  TV_Log->header()->resizeSections(QHeaderView::ResizeToContents);
  // The view passes a new column width on to its scroll bar only later.
  across.setMaximum(std::max(across.maximum(), TV_Log->header()->length() - shown));
  int value = across.value();
  if (end > value + shown) value = end - shown;
  if (start < value) value = std::max(0, start - TV_Log->indentation());  // with its branch line
  across.setValue(value);
}

// The width the tree's view has once it is laid out: a search that unfolds a
// long chain makes the vertical scroll bar needed, and Qt shows it, narrowing
// the view, only after this handler has returned.
int TFrm_Kirdo::TreeViewWidth() const {
  const QScrollBar& down = *TV_Log->verticalScrollBar();
  const bool coming = down.maximum() > 0 && !down.isVisible() &&
                      TV_Log->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded;
  return TV_Log->viewport()->width() - (coming ? down.sizeHint().width() : 0);
}

void TFrm_Kirdo::MN_Info_HelpClick() {}

void TFrm_Kirdo::MN_Info_InfoClick() {
  if (Frm_Info != nullptr) Dialogs().ShowModal(*Frm_Info);
}

// ---- menu enabling ----

void TFrm_Kirdo::MN_FileClick() { MN_File_Print->setEnabled(logSet_->LastFile() >= 0); }

void TFrm_Kirdo::MN_EditClick() {
  MN_Edit_Copy->setEnabled(MM_Text->textCursor().hasSelection());
  MN_Edit_Search->setEnabled(SelectedItem() != nullptr);
}

QAction* TFrm_Kirdo::MenuItemOfShortcut(const QKeySequence& keys) const {
  if (keys.isEmpty()) return nullptr;
  for (QMenu* menu : {MN_File, MN_Edit, MN_Info}) {
    for (QAction* item : menu->actions()) {
      if (!item->isSeparator() && item->shortcut() == keys) return item;
    }
  }
  return nullptr;
}

void TFrm_Kirdo::RunShortcut(QAction* item) {
  if (MN_File->actions().contains(item)) MN_FileClick();
  if (MN_Edit->actions().contains(item)) MN_EditClick();
  if (item->isEnabled()) item->trigger();
}

// ---- splitter and layout ----

void TFrm_Kirdo::Panel2MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/, int X,
                                 int /*Y*/) {
  if (Button != Qt::LeftButton) return;
  SplitDragging = 1;
  SplitDownX = X;
}

// X is where the pointer is relative to the bar, not how far it moved: a
// pane under 50 pixels is only kept from getting narrower, and one move may
// still take a wider pane well below 50.
void TFrm_Kirdo::Panel2MouseMove(Qt::KeyboardModifiers /*Shift*/, int X, int /*Y*/) {
  if (SplitDragging != 1) return;
  const int treeWidth = TV_Log->width();
  const int textWidth = MM_Text->width();
  if (treeWidth < NarrowPane && X < 0) return;
  if (textWidth < NarrowPane && X > 0) return;
  SetTreeWidth(treeWidth + X - SplitDownX);
  TV_Log->repaint();
}

void TFrm_Kirdo::Panel2MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/, int /*X*/,
                               int /*Y*/) {
  if (Button == Qt::LeftButton) SplitDragging = 0;
}

// A width below zero shows no tree at all.
void TFrm_Kirdo::SetTreeWidth(int width) {
  treeWidth_ = std::max(0, width);
  LayoutClient();
}

// The toolbar across the top, the tree at the left keeping its width, the
// bar against the tree's right edge, and the text pane taking the rest.
void TFrm_Kirdo::LayoutClient() {
  const QWidget* client = centralWidget();
  const int width = client->width();
  const int below = std::max(0, client->height() - ToolbarHeight);
  Panel1->setGeometry(0, 0, width, ToolbarHeight);
  TV_Log->setGeometry(0, ToolbarHeight, treeWidth_, below);
  Panel2->setGeometry(treeWidth_, ToolbarHeight, SplitterWidth, below);
  const int textLeft = treeWidth_ + SplitterWidth;
  MM_Text->setGeometry(textLeft, ToolbarHeight, std::max(0, width - textLeft), below);
}

bool TFrm_Kirdo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) {
    LayoutClient();
    return false;
  }
  if (watched == TV_Log && event->type() == QEvent::KeyPress) {
    return TakeEndFromNoNode(static_cast<const QKeyEvent&>(*event));
  }
  if (watched == TV_Log->viewport()) return TakeClickOnNoNode(*event);
  if (watched == MM_Text->viewport() && event->type() == QEvent::Wheel) {
    const auto& wheel = static_cast<const QWheelEvent&>(*event);
    if (wheel.modifiers() != Qt::ControlModifier || wheel.angleDelta().y() == 0) return false;
    ZoomBody(wheel.angleDelta().y() > 0 ? 1 : -1);
    return true;
  }
  if (watched != Panel2) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      const QPoint at = mouse.position().toPoint();
      Panel2MouseDown(mouse.button(), mouse.modifiers(), at.x(), at.y());
      return true;
    }
    case QEvent::MouseMove: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      const QPoint at = mouse.position().toPoint();
      Panel2MouseMove(mouse.modifiers(), at.x(), at.y());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      const QPoint at = mouse.position().toPoint();
      Panel2MouseUp(mouse.button(), mouse.modifiers(), at.x(), at.y());
      return true;
    }
    default:
      return false;
  }
}

// The body's face grows and shrinks by whole pixels: the face is set by its
// pixel size, which Qt's own zoom (by points) leaves as it is.
void TFrm_Kirdo::ZoomBody(int steps) {
  const int pixels = steps == 0 ? kBodyPixels
                                : std::clamp(MM_Text->font().pixelSize() + steps * kBodyPixelsStep,
                                             kBodyPixelsLeast, kBodyPixelsMost);
  MM_Text->setFont(TextPaneFont(pixels));
}

// With no current node, Qt's tree takes every movement key to the first
// node. End goes the other way: to the last visible node.
bool TFrm_Kirdo::TakeEndFromNoNode(const QKeyEvent& key) {
  if (key.key() != Qt::Key_End || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
      TV_Log->currentItem() != nullptr || TV_Log->topLevelItemCount() == 0) {
    return false;
  }
  QTreeWidgetItem* last = TV_Log->topLevelItem(TV_Log->topLevelItemCount() - 1);
  while (last->isExpanded() && last->childCount() > 0) last = last->child(last->childCount() - 1);
  TV_Log->setCurrentItem(last);
  return true;  // taken here: Qt's End from there would only come to the same node
}

// A click that hits no node (below the last one, or right of a caption)
// leaves the selection as it is, as in any tree control; Qt's view would
// clear it, and with it the message shown. The tree still takes the focus,
// and a drag that began there selects nothing on its way.
bool TFrm_Kirdo::TakeClickOnNoNode(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto& mouse = static_cast<const QMouseEvent&>(event);
      clickOnNoNode_ = !TV_Log->indexAt(mouse.position().toPoint()).isValid();
      if (clickOnNoNode_) TV_Log->setFocus(Qt::MouseFocusReason);
      return clickOnNoNode_;
    }
    case QEvent::MouseMove:
      return clickOnNoNode_;
    case QEvent::MouseButtonRelease: {
      const bool taken = clickOnNoNode_;
      clickOnNoNode_ = static_cast<const QMouseEvent&>(event).buttons() != Qt::NoButton && taken;
      return taken;
    }
    default:
      return false;
  }
}

// No window manager can be relied on to place the window, so it centres
// itself the first time it is shown, never off the top or left of the screen.
void TFrm_Kirdo::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  CentreOnScreen(*this);
}

}  // namespace zu
