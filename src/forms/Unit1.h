// The main window: toolbar, message field bar, thread tree, text pane, the
// splitter bar between them and the main menu, with the handlers of every
// command. The form itself lives in Unit1.ui; this class adds the handlers
// and is the log set's front end (zu::LogSetUi), turning its nodes into tree
// items and its warnings into boxes.
#pragma once

#include <QList>
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/LogSet.h"
#include "forms/TreeStack.h"
#include "core/MessageView.h"

namespace Ui {
class TFrm_Kirdo;
}
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QKeyEvent;
class QKeySequence;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPrinter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace zu {

class FieldMark;

class TFrm_Kirdo : public QMainWindow, private LogSetUi {
  Q_OBJECT

 public:
  // Builds the window from its form, empties the log set and has the shared
  // reader (zu::LogReader) obtain its buffer.
  explicit TFrm_Kirdo(QWidget* parent = nullptr);
  ~TFrm_Kirdo() override;

  // The components, under the names of the form; the window owns them.
  QPlainTextEdit* MM_Text = nullptr;
  QTreeWidget* TV_Log = nullptr;
  QMenuBar* MN_Menu = nullptr;
  QMenu* MN_File = nullptr;
  QAction* MN_File_Open = nullptr;
  QAction* N1 = nullptr;
  QAction* MN_File_Print = nullptr;
  QAction* N2 = nullptr;
  QAction* MN_File_Exit = nullptr;
  QMenu* MN_Edit = nullptr;
  QAction* MN_Edit_Copy = nullptr;
  QAction* N3 = nullptr;
  QAction* MN_Edit_Search = nullptr;
  QAction* MN_Edit_SearchSet = nullptr;
  QMenu* MN_Info = nullptr;
  QAction* MN_Info_Help = nullptr;
  QAction* N4 = nullptr;
  QAction* MN_Info_Info = nullptr;
  QFrame* Panel1 = nullptr;
  QFrame* Panel2 = nullptr;
  QToolButton* SB_File_Open = nullptr;
  QToolButton* SB_File_Print = nullptr;
  QToolButton* SB_File_Exit = nullptr;
  QToolButton* SB_Edit_Copy = nullptr;
  QToolButton* SB_Edit_Search = nullptr;
  QToolButton* SB_Edit_SearchSet = nullptr;
  QToolButton* SB_Info_Help = nullptr;
  QToolButton* SB_Info_Info = nullptr;
  QLineEdit* Ed_Name = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Ed_ID = nullptr;
  QLineEdit* Ed_DateTime = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* Ed_Number = nullptr;
  QLabel* Label4 = nullptr;

  // The splitter drag: 1 while the left button that went down on Panel2 is
  // held, and the x within the bar where it went down.
  uint8_t SplitDragging = 0;
  int32_t SplitDownX = 0;

  // Handlers. The toolbar buttons call them directly, in every state.
  void TV_LogChange(QTreeWidgetItem* Node);
  void MN_File_OpenClick();
  void MN_File_PrintClick();
  // X and Y are in the bar's own coordinates; Shift and Y are not used.
  void Panel2MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void Panel2MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
  void Panel2MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  void MN_File_ExitClick();
  void MN_Edit_CopyClick();
  void MN_Edit_SearchClick();
  void MN_Edit_SearchSetClick();
  void MN_Info_HelpClick();
  void MN_Info_InfoClick();
  // Menu enabling, run as the menu drops down and before its shortcuts act.
  void MN_FileClick();
  void MN_EditClick();

  // Searches from the selected message with the program-wide conditions,
  // selects the message found and marks the text found in it.
  void RunSearch();
  // Shift+F3: the Search command once the other way, with the Edit menu's
  // enabling first as for F3; SearchDirection stays as it is.
  void SearchBackShortcut();

  // The Open command for files chosen outside its dialog (the command line,
  // a drop), as the bytes of their paths: the same reset, warnings and tree
  // as the dialog's choice. An empty list changes nothing.
  void OpenFiles(const std::vector<std::string>& paths);
  // The same from the event loop, once the handler that asks has returned:
  // a drop's source is not kept waiting while warnings are shown, and the
  // command line's files open in the window that start-up has shown.
  void OpenFilesLater(const std::vector<std::string>& paths);
  // After a failure that left the Open command half done (an allocation
  // failed): the set, the tree and the view empty, as after a reset.
  void ForgetUnfinishedOpen();
  // Makes the body's text `steps` sizes larger (smaller when negative), or
  // with 0 as it was at start. Ctrl with the wheel over the body does it too.
  void ZoomBody(int steps);
  // Shows no node deeper than `levels` below the top from the next build on
  // (what the stack holds; a test sets less).
  void LimitTreeDepth(int32_t levels) { depthLimit_ = levels; }

  // The menu item whose shortcut is `keys`, or null.
  QAction* MenuItemOfShortcut(const QKeySequence& keys) const;
  // Acts on a menu item's shortcut as the menus do: the drop-down handler
  // of its menu runs first, then the item fires only if it is enabled.
  void RunShortcut(QAction* item);

  LogSet& Logs() { return *logSet_; }
  // The node id of a tree item (NoNode for null).
  static NodeId NodeOf(const QTreeWidgetItem* item);
  // The tree item of a node id, or null.
  QTreeWidgetItem* ItemOf(NodeId node) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Local files dropped anywhere on the window are opened; anything else
  // is refused.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // zu::LogSetUi
  void ClearTree() override;
  void AddTopLevel(NodeId id, std::string_view caption) override;
  void AddChild(NodeId parent, NodeId id, std::string_view caption) override;
  void ClearView() override;
  void Warn(Message m, const std::string& path) override;

  void TakeComponents();
  void SetUpLooks();
  void SetUpPictures();
  void SetUpFields();
  void SetUpTree();
  void SetUpAccessibleNames();
  void ConnectCommands();
  void AcceptDropsOnWholeWindow();
  void ShowBuiltTree();
  void LayoutClient();
  void SetTreeWidth(int width);
  bool TakeEndFromNoNode(const QKeyEvent& key);
  bool TakeClickOnNoNode(const QEvent& event);
  NodeId SelectedNode() const;
  QTreeWidgetItem* SelectedItem() const;
  void ShowHit(NodeId node);
  void RevealCaption(QTreeWidgetItem* item);
  int TreeViewWidth() const;
  void RunSearchTowards(int32_t direction);
  void MarkHit(std::string_view title);

  std::unique_ptr<Ui::TFrm_Kirdo> ui_;
  std::unique_ptr<LogSet> logSet_;
  std::vector<QTreeWidgetItem*> nodeItems_;       // by NodeId, owned by the tree
  std::vector<int32_t> nodeDepths_;               // by NodeId, as shown: 0 at the top
  int32_t depthLimit_ = TreeDepthLimit();  // the deepest level shown: what the stack holds
  bool flattened_ = false;  // the last build had nodes deeper than that
  bool opening_ = false;    // the Open command is loading or building
  QList<QTreeWidgetItem*> pendingTopLevel_;       // built, not yet in the tree
  MessageView shown_;  // the message in the view, as read; empty when none
  // The marks of the fields a search can stop for, owned by the fields.
  FieldMark* numberMark_ = nullptr;
  FieldMark* nameMark_ = nullptr;
  FieldMark* idMark_ = nullptr;
  std::unique_ptr<QPrinter> printer_;  // the last print's choices, made by the first
  int treeWidth_ = 0;  // the form's, taken when the window is made
  bool centred_ = false;
  bool clickOnNoNode_ = false;  // a button went down on no node and is held
};

// The one main window, created at start-up.
extern TFrm_Kirdo* Frm_Kirdo;

}  // namespace zu
